#ifndef SRC_ATTRIBUTE_H
#define SRC_ATTRIBUTE_H

#include <cstdint>
#include <string>
#include <string_view>

// How the text of an attribute is obtained when it is read.
enum AttributeKind : int32_t {
    Value = 0,          // the fixed text in `value`
    FileLine = 1,       // the first line of the file named by `path`, read at that moment
    Refreshed = 2,      // computed by `refresher` at that moment
    AgentProperty = 3,  // the fixed text in `value`, also written by every save of the
                        // agent configuration file
};

// Computes the current value of the attribute `key` into `output`; 1 on success.
typedef int32_t Refresher(std::string key, std::string& output);

// One record of the attribute store. The texts are views of storage the store owns.
struct Attribute {
    std::string_view value;
    std::string_view path;
    AttributeKind kind = Value;
    Refresher* refresher = nullptr;
};

#endif
