#include "MainCode/Script/TScriptProcessManager.h"

#include <algorithm>

#include "MainCode/Script/ScriptCommon.h"

TRefPtr<TScriptProcessManager> TScriptProcessManager::s_instance;
TScriptProcessManager* TScriptProcessManager::s_running = nullptr;

TScriptProcessManager::TScriptProcessManager() = default;

TScriptProcessManager::~TScriptProcessManager()
{
    Clear();
}

TScriptProcessManager* TScriptProcessManager::Create()
{
    s_instance = TRefPtr<TScriptProcessManager>(new TScriptProcessManager);
    TScriptProcessManager* manager = s_instance.Get();
    manager->m_moduleWait = 0;
    manager->m_stop = 0;
    manager->m_cancel = 0;
    return manager;
}

void TScriptProcessManager::Destroy()
{
    if (s_instance.IsOwned()) {
        s_instance = TRefPtr<TScriptProcessManager>();
    }
}

void TScriptProcessManager::SetResultVariable(std::int32_t value)
{
    if (TScriptProcessManager* manager = Get()) {
        manager->m_globalA.SetInt("$_", value);
    }
}

TScript* TScriptProcessManager::Push(const std::string& key)
{
    return Queue(key, true);
}

TScript* TScriptProcessManager::PushCalled(const std::string& key)
{
    return Queue(key, false);
}

TScript* TScriptProcessManager::Queue(const std::string& key, bool reload)
{
    if (m_tasks.size() >= kMaxTasks) {
        ScriptLog("too many scripts waiting; \"" + key + "\" not started");
        return nullptr;
    }
    if (reload) {
        std::string filePart;
        std::string name;
        TScript::SplitKey(key, filePart, name);
        if (!filePart.empty()) {
            ForgetFile(filePart);
        } else if (m_loaded.erase(key) != 0) {
            // A key without a file part is only ever itself.
            m_loadedLevels = ScriptPrice::Levels(m_loaded.size());
        }
    }
    // The key's own bytes are the CALL's to pay.
    ScriptWork::Count(m_loadedLevels);
    auto found = m_loaded.find(key);
    // A file is looked at in the first frame that calls it after the one it was read or looked at
    // in: a CALL in a loop costs no more, and an edited script runs as it is now the next time its
    // event comes.
    if (found != m_loaded.end() && found->second.file != nullptr && found->second.file->lookedAt != m_frame) {
        KnownFile& known = *found->second.file;
        known.lookedAt = m_frame;
        if (!known.file->Unchanged()) {
            std::string filePart;
            std::string name;
            TScript::SplitKey(key, filePart, name);
            ForgetFile(filePart);
            found = m_loaded.end();
        }
    }
    if (found == m_loaded.end()) {
        ScriptWork::Count(ScriptPrice::kNewEntry + ScriptPrice::kScriptRead);
        std::string filePart;
        std::string name;
        TScript::SplitKey(key, filePart, name);
        // Tasks still running an earlier load keep it.
        Loaded loaded = LoadScript(key, filePart, reload);
        found = m_loaded.emplace(key, std::move(loaded)).first;
        m_loadedLevels = ScriptPrice::Levels(m_loaded.size());
    }
    const TRefPtr<TScript>& loaded = found->second.script;
    if (!reload && !m_spareTasks.empty()) {
        m_tasks.push_front(Task{m_spareTasks.back(), true});
        m_spareTasks.pop_back();
        m_tasks.front().script->Restart(loaded);
    } else {
        m_tasks.push_front(Task{TRefPtr<TScript>(new TScript(loaded)), !reload});
    }
    return m_tasks.front().script.Get();
}

TScriptProcessManager::Loaded TScriptProcessManager::LoadScript(const std::string& key, const std::string& filePart,
                                                                bool pushed)
{
    if (filePart.empty()) {
        return Loaded{TRefPtr<TScript>(new TScript(key)), nullptr};
    }
    KnownFile& known = m_files[filePart];
    if (known.file == nullptr) {
        // A CALL pays for the first opening of its file; a scene's push is the scene's work.
        if (!pushed) {
            ScriptWork::Count(ScriptPrice::kFileOpened);
        }
        // Its first body is read straight after the directory, before the file is closed.
        known.file = std::make_unique<TScriptFile>(TScript::GetDirectory() + filePart, TScriptFile::kHoldForBody);
        known.lookedAt = m_frame;
    }
    const std::uint32_t rereadings = known.file->Rereadings();
    TRefPtr<TScript> script(new TScript(key, *known.file));
    // The file was found rewritten as this script was read: those read from it before are not
    // what it holds now.
    if (known.file->Rereadings() != rereadings) {
        ForgetScripts(filePart);
    }
    return Loaded{script, &known};
}

void TScriptProcessManager::ForgetScripts(const std::string& filePart)
{
    const std::string prefix = filePart + '/';
    for (auto it = m_loaded.lower_bound(prefix); it != m_loaded.end() && it->first.compare(0, prefix.size(), prefix) == 0;) {
        it = m_loaded.erase(it);
    }
    m_loadedLevels = ScriptPrice::Levels(m_loaded.size());
    // Ended tasks may still hold what was forgotten.
    m_spareTasks.clear();
}

void TScriptProcessManager::ForgetFile(const std::string& filePart)
{
    ForgetScripts(filePart);
    m_files.erase(filePart);
}

std::uint32_t TScriptProcessManager::Step()
{
    if (m_cancel != 0) {
        return kCancelled;
    }
    if (m_hostWait != 0 || m_stop != 0 || m_moduleWait != 0) {
        return kHeld;
    }
    // However the frame ends, the next one is another.
    struct NextFrame {
        std::uint64_t& frame;
        ~NextFrame() { ++frame; }
    } nextFrame{m_frame};
    // Only counted work ends a run, never the time it took: the same scripts end at the same
    // statement on any machine, under any load.
    const std::uint64_t tokensBefore = ScriptWork::Tokens();
    std::uint64_t statements = 0;
    std::uint64_t tokens = 0;
    std::uint64_t work = 0;
    while (work < ScriptPrice::kMaxWorkPerStep) {
        if (m_tasks.empty()) {
            return kFinished;
        }
        // Held here: the statement may push a script in front of it.
        TRefPtr<TScript> task = m_tasks.front().script;
        const bool called = m_tasks.front().called;
        const bool alive = task->Step();
        const std::uint64_t worked = ScriptWork::Tokens() - tokensBefore - tokens;
        ++statements;
        tokens += worked;
        work += std::max<std::uint64_t>(1, (worked + ScriptPrice::kTokensPerWork - 1) / ScriptPrice::kTokensPerWork);
        if (!alive) {
            RemoveTask(task.Get());
            if (called && task.UseCount() == 1) {
                m_spareTasks.push_back(task);
            }
            if (m_tasks.empty()) {
                return kFinished;
            }
        }
        if (m_moduleWait != 0 || m_stop != 0 || m_hostWait != 0) {
            return kHeld;
        }
    }
    ScriptLog("\"" + m_tasks.front().script->GetKey() + "\" ran " + std::to_string(statements) +
              " statements in one frame, working through " + std::to_string(tokens) + " tokens; all scripts ended");
    m_tasks.clear();
    return kFinished;
}

void TScriptProcessManager::RemoveTask(const TScript* script)
{
    // Mostly the front one: the task that just ended.
    if (!m_tasks.empty() && m_tasks.front().script.Get() == script) {
        m_tasks.pop_front();
        return;
    }
    for (auto it = m_tasks.begin(); it != m_tasks.end(); ++it) {
        if (it->script.Get() == script) {
            m_tasks.erase(it);
            return;
        }
    }
}

void TScriptProcessManager::AddModule(TScriptModule* module)
{
    if (module == nullptr) {
        return;
    }
    // The same object again: a second owner would delete it twice.
    if (FindModule(module->GetName()) == module) {
        return;
    }
    SetModule(TRefPtr<TScriptModule>(module));
}

void TScriptProcessManager::SetModule(const TRefPtr<TScriptModule>& module)
{
    if (module.Get() == nullptr) {
        return;
    }
    TRefPtr<TScriptModule>& entry = m_modules[module->GetName()];
    if (entry.Get() != module.Get()) {
        entry = module;
    }
}

void TScriptProcessManager::RemoveModule(const std::string& name)
{
    m_modules.erase(name);
}

TScriptModule* TScriptProcessManager::FindModule(const std::string& name) const
{
    auto found = m_modules.find(name);
    return found != m_modules.end() ? found->second.Get() : nullptr;
}

std::uint32_t TScriptProcessManager::CallModule(const std::string& name, std::uint32_t command,
                                                const std::deque<std::string>& args,
                                                const std::deque<std::uint32_t>& kinds)
{
    auto found = m_modules.find(name);
    if (found == m_modules.end() || found->second.Get() == nullptr) {
        return TScriptModule::kNoModule;
    }
    // Held here: the module may replace itself while it runs.
    TRefPtr<TScriptModule> module = found->second;
    return module->Call(command, args, kinds);
}

void TScriptProcessManager::UpdateModules()
{
    VisitModules(&TScriptModule::Update);
}

void TScriptProcessManager::DrawModules()
{
    VisitModules(&TScriptModule::Draw);
}

void TScriptProcessManager::VisitModules(void (TScriptModule::*visit)())
{
    std::string name;
    for (auto it = m_modules.begin(); it != m_modules.end(); it = m_modules.upper_bound(name)) {
        name = it->first;
        TRefPtr<TScriptModule> module = it->second;
        if (module.Get() != nullptr) {
            (module.Get()->*visit)();
        }
    }
}

void TScriptProcessManager::Clear()
{
    m_tasks.clear();
    m_spareTasks.clear();
    m_loaded.clear();
    m_loadedLevels = 0;
    m_files.clear();
    m_modules.clear();
    m_globalB.Clear();
    m_globalA.Clear();
    m_moduleWait = 1;
}
