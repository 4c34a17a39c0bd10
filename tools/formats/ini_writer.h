// Builds INI files as the tools that write the game's settings do (CR LF lines, CP932 text).
#pragma once

#include <string>

namespace qmtest {

class IniWriter {
public:
    IniWriter& Section(const std::string& name);
    IniWriter& Key(const std::string& key, const std::string& value);
    IniWriter& Key(const std::string& key, long value);
    // Any line as it is (comments, broken lines).
    IniWriter& Line(const std::string& line);

    const std::string& Text() const { return text_; }
    void Save(const std::string& path) const;

private:
    std::string text_;
};

}  // namespace qmtest
