#ifndef SRC_PROPERTYFILE_H
#define SRC_PROPERTYFILE_H

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "TextArena.h"

class InputFile;

// The syntax of the device's key=value files (the agent configuration file among them):
// lines as PropertyScanner cuts them, "#" comments, a key up to the first "=" and a value,
// both without white space at their ends. Parses a whole file, finds one key, and formats
// the lines of a save.
class PropertyFile {
public:
    using Property = std::pair<std::string_view, std::string_view>;
    using Properties = std::vector<Property>;

    // A file without properties.
    PropertyFile();
    // Every property of `file` (read from its current position, bounded), in key order,
    // the last occurrence of a key winning. The views stay valid as long as this object.
    explicit PropertyFile(InputFile& file);
    PropertyFile(const PropertyFile&) = delete;
    PropertyFile& operator=(const PropertyFile&) = delete;
    virtual ~PropertyFile();

    const Properties& Sorted() const { return properties; }

    // The value of the first property of `file` with this key; `value` is left unchanged
    // when there is none.
    static bool Find(InputFile& file, const std::string& key, std::string& value);
    // The same for several keys in one read: `values[i]` takes the value of the first
    // property with `keys[i]` and `found[i]` says whether there was one (`values[i]` is
    // left unchanged otherwise). Both vectors are sized to the keys.
    static void FindAll(InputFile& file, const std::vector<std::string>& keys,
                        std::vector<std::string>& values, std::vector<bool>& found);
    // Splits one line in place into key and value (views into `line`); false for a comment
    // or a line without "=".
    static bool SplitLine(char* line, std::string_view& key, std::string_view& value);
    // The lines "key=value\n" of `lines`, written into `storage` made to fit them exactly.
    static std::string_view Format(const Properties& lines, std::unique_ptr<char[]>& storage);

private:
    std::unique_ptr<char[]> content;  // the scanned file, which the views point into
    TextArena overflow;               // the pieces of lines too long for the content
    Properties properties;
};

#endif
