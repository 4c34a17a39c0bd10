#include "MainCode/Character/TEnemyTypes.h"

#include <initializer_list>
#include <map>

namespace {

struct TypeGroup {
    TEnemyTypeRow row;
    std::initializer_list<std::uint32_t> ids;
};

constexpr TEnemyTypeRow A(std::int32_t count, std::uint8_t flag)
{
    return {TEnemyClass::A, count, 0, 0.0F, 0, flag};
}
constexpr TEnemyTypeRow B(std::int32_t count, std::uint8_t flag)
{
    return {TEnemyClass::B, count, 0, 0.0F, 0, flag};
}
constexpr TEnemyTypeRow C(std::int32_t count, std::int32_t element, std::uint8_t flag)
{
    return {TEnemyClass::C, count, element, 0.0F, 0, flag};
}

const std::map<std::uint32_t, TEnemyTypeRow>& Table()
{
    static const std::map<std::uint32_t, TEnemyTypeRow> table = [] {
        const TypeGroup groups[] = {
            {A(1, 0), {3, 11, 13, 18, 24, 25, 35, 46, 48, 61, 62, 72, 73}},
            {A(2, 0), {0, 1, 4, 12, 14, 17, 23, 26, 30, 41, 42, 52, 71, 75}},
            {A(3, 0), {6, 8, 9, 19, 20, 21, 27, 28, 29, 31, 32, 33, 34, 36, 38, 39, 40, 43, 45, 51, 54, 57, 65, 67,
                       70, 74}},
            {A(4, 0), {37, 44, 49, 66}},
            {A(5, 0), {78}},
            {A(2, 1), {10012}},
            {A(3, 1), {10001, 10002, 10003, 10004, 10005, 10006, 10007, 10008, 10009, 10014, 10015}},
            {A(5, 1), {10010, 10013}},
            {B(3, 0), {22, 58}},
            {B(3, 1), {76, 10000}},
            {B(8, 1), {10026}},
            {C(2, 0, 0), {2}},
            {C(2, 1, 0), {5, 60}},
            {C(2, 2, 0), {55, 63}},
            {C(2, 3, 0), {16}},
            {C(2, 4, 0), {47, 64}},
            {C(2, 5, 0), {77}},
            {C(3, 1, 0), {10, 15}},
            {C(3, 2, 0), {7}},
            {C(3, 3, 0), {53, 68}},
            {C(3, 5, 0), {50}},
            {C(3, 6, 0), {56, 69}},
            {{TEnemyClass::D, 7, 11042, 1.5F, -1, 1}, {10011}},
            {{TEnemyClass::D, 7, 200, 1.1F, 1, 1}, {10024}},
            {{TEnemyClass::E, 4, 0, 0.0F, 0, 1}, {59, 79, 10016, 10017, 10018, 10019, 10020, 10021, 10022, 10023}},
            {{TEnemyClass::TimeStop, 10, 0, 0.0F, 0, 1}, {10025}},
            {{TEnemyClass::TimeStop, 10, 1, 0.0F, 0, 1}, {10027}},
        };
        std::map<std::uint32_t, TEnemyTypeRow> out;
        for (const TypeGroup& group : groups) {
            for (std::uint32_t id : group.ids) {
                out.emplace(id, group.row);
            }
        }
        return out;
    }();
    return table;
}

}  // namespace

const TEnemyTypeRow* FindEnemyType(std::uint32_t typeId)
{
    const auto& table = Table();
    const auto it = table.find(typeId);
    return it != table.end() ? &it->second : nullptr;
}
