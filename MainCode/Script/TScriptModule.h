// What scripts reach the game through: a named module that takes numbered commands from
// CALL "@@SendMsg" and may run and draw something of its own while the scripts wait.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

class TScriptModule {
public:
    // Result bits of Call.
    static constexpr std::uint32_t kWait = 1;      // hold the scripts until the module clears the wait
    static constexpr std::uint32_t kStop = 2;      // hold them until the code that started them says so
    static constexpr std::uint32_t kDone = 4;
    static constexpr std::uint32_t kNoModule = 8;  // no module of that name: nothing was called

    explicit TScriptModule(const std::string& name) : m_name(name) {}
    virtual ~TScriptModule() = default;

    // args and kinds: the command's own arguments (decimal texts are kind 2, texts kind 4).
    virtual std::uint32_t Call(std::uint32_t command, const std::deque<std::string>& args,
                               const std::deque<std::uint32_t>& kinds) = 0;
    virtual void Update() = 0;
    virtual void Draw() = 0;

    const std::string& GetName() const { return m_name; }

protected:
    // What a module with nothing to update or draw runs; also the idle state of the state machines.
    void DoNothing() {}

private:
    std::string m_name;
};

// The current manager's wait-for-module flag: a module clears it when the work its task waited
// for is over. Nothing without a manager.
void SetScriptWait(std::uint8_t value);
// The current manager's cancel flag: while set, its Step answers 16.
void SetScriptCancel(std::uint8_t value);
