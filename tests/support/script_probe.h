// A look into the scripts for tests: what the message window shows and where its parts stand, a
// script's statements, labels and position, and the process manager's tasks and flags.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "MainCode/Script/TMessageWindow.h"
#include "MainCode/Script/TScript.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "TCommon/TRefPtr.h"

class TScriptLabel;
class TScriptStatement;

struct TScriptProbe {
    // The message window.
    static bool IsIdle(const TMessageWindow& w) { return w.m_state == &TMessageWindow::DoNothing; }
    static bool IsTyping(const TMessageWindow& w) { return w.m_state == &TMessageWindow::TypeOut; }
    static bool IsSliding(const TMessageWindow& w) { return w.m_state == &TMessageWindow::StepSlide; }
    static std::uint8_t IsShown(const TMessageWindow& w) { return w.m_shown; }
    static std::uint8_t IsCancelRequested(const TMessageWindow& w) { return w.m_cancelRequested; }
    static const std::deque<std::string>& Lines(const TMessageWindow& w) { return w.m_lines; }
    static std::int32_t Line(const TMessageWindow& w) { return w.m_line; }
    static std::int32_t Column(const TMessageWindow& w) { return w.m_column; }
    static std::int32_t Cursor(const TMessageWindow& w) { return w.m_cursor; }
    static std::uint8_t Blink(const TMessageWindow& w) { return w.m_blink; }
    static std::int32_t WindowY(const TMessageWindow& w) { return w.m_window.value; }
    static std::int32_t NameX(const TMessageWindow& w) { return w.m_name.value; }
    static float CursorBob(const TMessageWindow& w) { return w.m_cursorBob.Value(); }
    static const TText8& MessageText(const TMessageWindow& w) { return w.m_message; }
    static const TText8& NameText(const TMessageWindow& w) { return w.m_nameText; }
    static const TSprite& WindowSprite(const TMessageWindow& w) { return w.m_windowSprite; }
    static const TSprite& NameSprite(const TMessageWindow& w) { return w.m_nameSprite; }
    static const TSprite& ButtonSprite(const TMessageWindow& w, bool lit) { return lit ? w.m_buttonA : w.m_buttonB; }
    static const TSprite& CursorSprite(const TMessageWindow& w) { return w.m_cursorSprite; }

    // A script: its statements (those of the loaded script it shares, when it shares one), statement
    // i of them (null past the end), the one running and the labels.
    static const std::vector<TRefPtr<TScriptStatement>>& Statements(const TScript& s)
    {
        return (s.m_loaded.Get() != nullptr ? *s.m_loaded.Get() : s).m_statements;
    }
    static std::size_t StatementCount(const TScript& s) { return Statements(s).size(); }
    static TScriptStatement* Statement(const TScript& s, std::size_t index)
    {
        const std::vector<TRefPtr<TScriptStatement>>& statements = Statements(s);
        return index < statements.size() ? statements[index].Get() : nullptr;
    }
    static TScriptStatement* Current(const TScript& s) { return s.m_current; }
    static const std::vector<TRefPtr<TScriptLabel>>& Labels(const TScript& s) { return s.m_labels; }

    // The process manager.
    static std::size_t TaskCount(const TScriptProcessManager& m) { return m.m_tasks.size(); }
    static std::uint8_t ModuleWait(const TScriptProcessManager& m) { return m.m_moduleWait; }
    static std::uint8_t Cancel(const TScriptProcessManager& m) { return m.m_cancel; }
    // The script files it knows, one for each file whatever spells it.
    static std::size_t KnownFiles(const TScriptProcessManager& m) { return m.m_files.size(); }
};
