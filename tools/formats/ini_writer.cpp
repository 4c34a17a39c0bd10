#include "formats/ini_writer.h"

#include <fstream>
#include <stdexcept>

namespace qmtest {

IniWriter& IniWriter::Section(const std::string& name)
{
    return Line("[" + name + "]");
}

IniWriter& IniWriter::Key(const std::string& key, const std::string& value)
{
    return Line(key + "=" + value);
}

IniWriter& IniWriter::Key(const std::string& key, long value)
{
    return Key(key, std::to_string(value));
}

IniWriter& IniWriter::Line(const std::string& line)
{
    text_ += line;
    text_ += "\r\n";
    return *this;
}

void IniWriter::Save(const std::string& path) const
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text_;
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

}  // namespace qmtest
