#include "TCommon/my_error.h"

#include <cstdio>
#include <ctime>

#include "TCommon/TFile.h"
#include "platform/text/cp932.h"
#include "platform/win32/error.h"
#include "platform/win32/file.h"
#include "platform/win32/msgbox.h"

namespace {

constexpr std::size_t kRecordSize = 1024;  // the formatting limit, terminator included
constexpr UINT kErrorBoxStyle = MB_ICONERROR | MB_TOPMOST;

struct LogOptions {
    std::string contactText = "エラー詳細を沿えて製作元へお問い合わせください。";
    std::uint32_t maxLogSize = 512;
    std::string logFileName = "ErrorLog.txt";
    std::uint32_t flags = my_error::kShowMessageBox | my_error::kWriteLog | my_error::kAppend;
};

LogOptions& Options()
{
    static LogOptions options;
    return options;
}

// Position just after the last '\' or '/', stepping over double-byte characters whose trail
// byte is a backslash.
std::size_t AfterLastSeparator(const std::string& path)
{
    std::size_t after = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (platform::IsCp932LeadByte(c)) {
            ++i;
        } else if (c == '\\' || c == '/') {
            after = i + 1;
        }
    }
    return after;
}

// "C:\src\TCommon\TFile.cpp" -> "TFile": no drive, folder or extension.
std::string BaseName(const std::string& path)
{
    std::string name = path.substr(AfterLastSeparator(path));
    std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string ModuleFileName(const char* failure)
{
    char path[MAX_PATH + 1] = {};
    if (GetModuleFileNameA(nullptr, path, MAX_PATH) == 0) {
        throw failure;
    }
    return path;
}

void ShowInternalError(const char* text, const char* caption)
{
    MessageBoxA(nullptr, text, caption, kErrorBoxStyle);
}

void WriteLog(const char* record)
{
    const LogOptions& options = Options();
    const std::string module = ModuleFileName("Failed my_error::TransactionError GetModuleFileName");
    const std::string logPath = module.substr(0, AfterLastSeparator(module)) + options.logFileName;

    TFile log(logPath);
    if (!log.Open(false, GENERIC_WRITE, "")) {
        throw "Failed  my_error::TransactionError LogFile Open";
    }
    if ((options.flags & my_error::kAppend) != 0) {
        log.SetPointer(0, FILE_END);
        if (options.maxLogSize != 0 && log.GetSize() > options.maxLogSize) {
            log.Close();
            if (!log.Create(false, GENERIC_WRITE, "")) {
                throw "Failed  my_error::TransactionError LogFile Create";
            }
        }
    }
    if (!log.Write(record, static_cast<std::uint32_t>(lstrlenA(record)))) {
        throw "Failed  my_error::TransactionError LogFile Write";
    }
    log.Close();
}

}  // namespace

my_error::my_error(const std::string& message, const std::string& sourceFile, long line)
    : m_message(message), m_sourceFile(sourceFile), m_line(line)
{
    try {
        const std::string module = ModuleFileName("Failed my_error::my_error GetModuleFileName");
        const std::string file = BaseName(sourceFile);
        std::time_t now = std::time(nullptr);
        std::tm local{};
        const bool haveTime = localtime_r(&now, &local) != nullptr;
        const long year = haveTime ? local.tm_year + 1900L : 0;
        const long month = haveTime ? local.tm_mon + 1L : 0;
        const long day = haveTime ? local.tm_mday : 0;
        const long hour = haveTime ? local.tm_hour : 0;
        const long minute = haveTime ? local.tm_min : 0;
        const long second = haveTime ? local.tm_sec : 0;

        char record[kRecordSize];
        std::snprintf(record, sizeof(record),
                                   "module : %s\r\nfile : %s\r\nline : %ld\r\ntime : %ld/%ld/%ld %ld:%ld:%ld\r\n"
                                   "error : %s\r\n",
                                   module.c_str(), file.c_str(), line, year, month, day, hour, minute, second,
                                   message.c_str());
        m_record = record;  // a longer expansion was cut at the buffer's end
    } catch (const char* text) {
        ShowInternalError(text, "my_error::my_error Internal Error");
    } catch (...) {
        ShowInternalError("Unknown Exception", "my_error::my_error Internal Error");
    }
}

const char* my_error::what() const noexcept
{
    return m_record.c_str();
}

my_error my_error::Within(const std::string& asker) const
{
    return my_error(asker + m_message, m_sourceFile, m_line);
}

void my_error::SetLogOptions(const std::string& contactText, std::uint32_t maxLogSize, const char* logFileName,
                             std::uint32_t flags)
{
    LogOptions& options = Options();
    options.contactText = contactText;
    options.maxLogSize = maxLogSize;
    options.logFileName = logFileName != nullptr ? logFileName : "";
    options.flags = flags;
}

std::string& my_error::GetDefaultMessage()
{
    return Options().contactText;
}

void my_error::TransactionError(const std::exception& e)
{
    try {
        const char* record = e.what();
        if ((Options().flags & kWriteLog) != 0) {
            WriteLog(record);
        }
        if ((Options().flags & kShowMessageBox) != 0) {
            MessageBoxA(nullptr, record, "TransactionError", kErrorBoxStyle);
        }
    } catch (const char* text) {
        ShowInternalError(text, "TransactionError Internal Error");
    } catch (...) {
        ShowInternalError("Unknown Exception", "TransactionError Internal Error");
    }
}

void my_error::LogError(const std::exception& e)
{
    try {
        if ((Options().flags & kWriteLog) != 0) {
            WriteLog(e.what());
        }
    } catch (...) {
        // Nowhere left to report it.
    }
}

void my_error::TransactionUnknownError()
{
    char* systemText = nullptr;
    try {
        const DWORD code = GetLastError();
        if (FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                               FORMAT_MESSAGE_FROM_SYSTEM,
                           nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                           reinterpret_cast<LPSTR>(&systemText), 0, nullptr) == 0) {
            throw "Failed my_error::TransactionUnknownError FormatMessage";
        }
        TransactionError(my_error(systemText, "From TransactionUnkownError", 0));
    } catch (const char* text) {
        ShowInternalError(text, "TransactionUnkownError Internal Error");
    } catch (...) {
        ShowInternalError("Unknown Exception", "TransactionUnkownError Internal Error");
    }
    LocalFree(systemText);
}
