#ifndef TESTS_SUPPORT_ATTRIBUTEREADING_H
#define TESTS_SUPPORT_ATTRIBUTEREADING_H

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "ZelConfig.h"

// Reading attributes of a store in tests, with the result of each read checked.
namespace attributes {

// The text GetAttribute gives (it must clear the output first), expecting `expected`.
inline std::string Read(const ZelConfig& store, const std::string& key, bool expected = true) {
    std::string value = "stale";
    EXPECT_EQ(store.GetAttribute(key, value), expected) << key;
    return value;
}

struct Expected {
    const char* key;
    std::string value;
};

// Every attribute reads successfully with its expected text.
inline void ExpectAll(const ZelConfig& store, std::initializer_list<Expected> expected) {
    for (const Expected& attribute : expected) {
        EXPECT_EQ(Read(store, attribute.key), attribute.value) << attribute.key;
    }
}

}  // namespace attributes

#endif
