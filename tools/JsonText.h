// JSON text for folderdump's report: strings, numbers that may be missing, lists. Plain C++
// without Windows, so that the host build tests it.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// A JSON string of UTF-8 text: '"' and '\' escaped, control characters (below 0x20, and DEL)
// as \u00XX, every other byte as it is (UTF-8 stays UTF-8).
inline std::string JsonUtf8(const std::string& utf8) {
    std::string out = "\"";
    for (const char byte : utf8) {
        const unsigned char c = static_cast<unsigned char>(byte);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += byte;
        } else if (c < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += byte;
        }
    }
    return out + "\"";
}

inline std::string JsonBool(bool value) {
    return value ? "true" : "false";
}

// A number, or null when `known` is false.
inline std::string JsonNumber(unsigned long value, bool known = true) {
    return known ? std::to_string(value) : std::string("null");
}

// A list of JSON values.
inline std::string JsonList(const std::vector<std::string>& values) {
    std::string out = "[";
    for (size_t i = 0; i < values.size(); ++i)
        out += (i ? ", " : "") + values[i];
    return out + "]";
}

// An object of members, each "name": value, in the order given.
class JsonObject {
  public:
    JsonObject& Add(const char* name, const std::string& value) {
        text_ += std::string(text_.empty() ? "" : ", ") + JsonUtf8(name) + ": " + value;
        return *this;
    }
    std::string Text() const { return "{" + text_ + "}"; }

  private:
    std::string text_;
};
