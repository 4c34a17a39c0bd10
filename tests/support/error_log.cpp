#include "support/error_log.h"

#include <fstream>
#include <sstream>

#include "TCommon/my_error.h"
#include "platform/testing/win32.h"

namespace qmtest {

ErrorLogBeside::ErrorLogBeside(const std::filesystem::path& folder) : folder_(folder)
{
    platform::OverrideModuleFileName((folder / "quillmark4").string());
    my_error::SetLogOptions(my_error::GetDefaultMessage(), 4096, "ErrorLog.txt",
                            my_error::kWriteLog | my_error::kAppend);
}

ErrorLogBeside::~ErrorLogBeside()
{
    my_error::SetLogOptions(my_error::GetDefaultMessage(), 512, "ErrorLog.txt",
                            my_error::kShowMessageBox | my_error::kWriteLog | my_error::kAppend);
    platform::OverrideModuleFileName("");
}

std::string ErrorLogBeside::Log() const
{
    std::ifstream in(folder_ / "ErrorLog.txt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::size_t CountOf(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

}  // namespace qmtest
