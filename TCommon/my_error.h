// The program's one exception type, and the error log "ErrorLog.txt" beside the executable.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

class my_error : public std::exception {
public:
    // Builds the record now: module, base name of sourceFile, line, local time, message.
    // The record is cut at 1024 bytes including its terminator.
    my_error(const std::string& message, const std::string& sourceFile, long line);
    ~my_error() override = default;

    // The record; empty when building it failed.
    const char* what() const noexcept override;

    // The same failure from the same source and line, its message preceded by text naming what
    // asked for the thing that failed.
    my_error Within(const std::string& asker) const;

    // Flag bits of SetLogOptions.
    static constexpr std::uint32_t kShowMessageBox = 1;
    static constexpr std::uint32_t kWriteLog = 2;
    static constexpr std::uint32_t kAppend = 4;

    // maxLogSize 0 means no limit; logFileName is taken relative to the executable's folder.
    static void SetLogOptions(const std::string& contactText, std::uint32_t maxLogSize, const char* logFileName,
                              std::uint32_t flags);
    // The contact text, the message of failures that have no text of their own.
    static std::string& GetDefaultMessage();

    // Appends e.what() to the log and shows it, as the options say. Never throws.
    static void TransactionError(const std::exception& e);
    // Appends e.what() to the log when the options ask for one, and shows nothing: for threads
    // that must not stop on a message box. Never throws.
    static void LogError(const std::exception& e);
    // Reports the calling thread's last system error the same way. Never throws.
    static void TransactionUnknownError();

private:
    std::string m_record;
    std::string m_message;
    std::string m_sourceFile;
    long m_line = 0;
};
