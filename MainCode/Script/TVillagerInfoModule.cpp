#include "MainCode/Script/TVillagerInfoModule.h"

#include "MainCode/Script/ScriptCommon.h"

TVillagerInfoModule::TVillagerInfoModule(TVillagerInfo* info) : TScriptModule("VillagerInfo"), m_info(info) {}

std::uint32_t TVillagerInfoModule::Call(std::uint32_t command, const std::deque<std::string>& args,
                                        const std::deque<std::uint32_t>&)
{
    if (command != 0 || m_info == nullptr) {
        return kDone | kWait | kStop;
    }
    if (args.size() < kArguments) {
        ScriptLog("VillagerInfo: " + std::to_string(args.size()) + " of 16 arguments; the rest keep their values");
    }
    TVillagerInfo& info = *m_info;
    std::uint32_t* const words[3] = {&info.objectId, &info.value2, &info.faceMode};
    float* const floats[10] = {&info.centreHeight, &info.shadowSize, &info.value6,      &info.gravity,
                               &info.position[0],  &info.position[1], &info.position[2], &info.direction[0],
                               &info.direction[1], &info.direction[2]};
    std::uint8_t* const flags[2] = {&info.shadowVisible, &info.pushable};
    // A field without an argument, or whose argument does not scan, keeps its value.
    for (std::size_t i = 0; i < args.size() && i < kArguments; ++i) {
        const std::string& arg = args[i];
        if (i == 0) {
            info.name = arg;
        } else if (i <= 3) {
            ScanScriptUnsigned(arg, *words[i - 1]);
        } else if (i <= 7) {
            ScanScriptFloat(arg, *floats[i - 4]);
        } else if (i <= 9) {
            *flags[i - 8] = arg == "0" ? 0 : 1;
        } else {
            ScanScriptFloat(arg, *floats[i - 6]);
        }
    }
    return kDone | kWait | kStop;
}
