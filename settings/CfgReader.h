// Reads the bytes of a settings file into a tree. Files are untrusted: anything that the
// writer could not have produced rejects the whole file, and no partial tree escapes.
#pragma once

#include "settings/CfgFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

enum class CfgParseError {
    None,
    NoObject,         // no object at all
    TagTooLong,       // a tag that does not fit the 256-byte tag buffer
    NotObjectTag,     // a closed tag that is neither an end tag nor an object header
    MalformedHeader,  // missing fields, a value too long, a number that is not a number
    EndBeforeObject,  // an end tag before the first object
    BadLength,        // negative, or more than the bytes left
    BadChildCount,    // negative, or more than the bytes left
    TooDeep,          // nesting beyond kCfgMaxDepth
    DataAndChildren,  // an object with data that also gets children
    AfterRoot,        // an object after the root was closed
    Truncated,        // the file ends inside a tag, a data block or an open object
};

constexpr size_t kCfgTagBuffer = 256;
// The settings files nest four deep; anything far deeper is not one of ours.
constexpr int kCfgMaxDepth = 64;

struct CfgParseResult {
    std::unique_ptr<CfgFile> m_pRoot;  // null unless m_eError is None
    CfgParseError m_eError = CfgParseError::None;
    size_t m_nOffset = 0;              // where the reader stopped
};

CfgParseResult ParseCfg(std::span<const uint8_t> bytes);
