// Field logic on one core: a battle area's step (player, object walk, attack pass, movement,
// collision, shadows, camera, mesh cells, effects, minimap) with the player walking and 30 more
// objects registered in the collision world. Prints the CPU time per step and the heap allocations
// per step once the area runs steadily (allocations counted in sanitizer builds only).
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "MainCode/Character/TGameObject.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/msgbox.h"
#include "support/alloc_probe.h"
#include "support/field_writer.h"
#include "support/temp_dir.h"

namespace {

constexpr int kObjects = 30;
constexpr int kWarmUp = 120;
constexpr int kSteps = 2000;

double Seconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A standing body on the ground, pushed about by the separation pass.
class Standing : public TGameObject {
public:
    Standing() : TGameObject(0, 0.9F, 0.8F, 1, 1, -0.03F, "hero01") {}
    bool Update() override { return true; }
    bool IsAirborneState() override { return false; }
};

}  // namespace

int main()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    qmtest::TempDir dir;
    qmtest::ScopedCwd cwd(dir.Path());
    setenv("QM_RUNTIME_DIR", dir.Path().c_str(), 1);
    platform::SetMessageBoxHook([](const platform::MessageBoxRecord& r) { std::fprintf(stderr, "%s\n", r.text.c_str()); });
    std::ofstream("setting.ini", std::ios::binary)
        << "[CurrentSetting]\r\nScreenWidth=640\r\nScreenHeight=480\r\nScreenMode=Window\r\n";
    qmtest::WriteFieldFolder(".");

    TGameWnd app(0, "Verrow Quillmark", "Quillmark", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr,
                 nullptr, nullptr, 101, 104);
    app.Create();
    app.Init();
    TFieldLoop* field = TFieldLoop::CreateAtPosition(&app, "map00/battle", qmtest::FieldLayout::Start(),
                                                     qmtest::FieldLayout::StartDirection(),
                                                     qmtest::FieldLayout::StartCamera());
    if (field == nullptr) {
        std::fprintf(stderr, "the field could not be made\n");
        return 1;
    }
    app.PushScene(field);
    TAreaBase* area = field->GetArea();
    std::vector<std::unique_ptr<Standing>> objects;
    for (int i = 0; i < kObjects; ++i) {
        objects.push_back(std::make_unique<Standing>());
        objects.back()->SetPosition(D3DXVECTOR3(5.0F + static_cast<float>(i % 6) * 5.0F, 0.0F,
                                                14.0F + static_cast<float>(i / 6) * 3.0F));
        objects.back()->AttachToField(area);
    }

    // The player walks to the right and back, through the standing bodies.
    platform::InjectKey(VK_UP, true);
    qmtest::AllocationProbe probe;
    double cpu = 0.0;
    for (int step = 0; step < kWarmUp + kSteps; ++step) {
        if (step % 200 == 0) {
            const bool right = (step / 200) % 2 == 0;
            platform::InjectKey(VK_RIGHT, right);
            platform::InjectKey(VK_LEFT, !right);
        }
        if (step == kWarmUp) {
            probe.Reset();
        }
        app.GetInput()->PollInput();
        const double start = Seconds(CLOCK_THREAD_CPUTIME_ID);
        area->Update();
        if (step >= kWarmUp) {
            cpu += Seconds(CLOCK_THREAD_CPUTIME_ID) - start;
        }
    }
    const long allocations = probe.Allocations();
    for (auto& object : objects) {
        object->DetachFromField();
    }
    objects.clear();
    app.Shutdown();

    const double ms = cpu * 1000.0 / kSteps;
    if (qmtest::AllocationProbe::Available()) {
        std::printf("field logic %.3f ms/step, %.2f allocations/step (player and %d objects); goal <= 1.0 ms, 0\n", ms,
                    static_cast<double>(allocations) / kSteps, kObjects);
    } else {
        std::printf("field logic %.3f ms/step, allocations not counted in this build (player and %d objects); goal "
                    "<= 1.0 ms, 0\n",
                    ms, kObjects);
    }
    return 0;
}
