#include <gtest/gtest.h>

#include <vector>

#include "TCommon/TRefPtr.h"
#include "platform/win32/types.h"

namespace {

struct Tracked {
    explicit Tracked(int* deaths) : deaths_(deaths) {}
    virtual ~Tracked() { ++*deaths_; }
    int* deaths_;
};

struct Element {
    static int destroyed;
    ~Element() { ++destroyed; }
};
int Element::destroyed = 0;

struct FakeInterface : IUnknown {
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override
    {
        ++releases;
        return --refs;
    }
    ULONG refs = 1;
    int releases = 0;
};

TEST(TRefPtr, CopiesShareSelfAssignmentKeepsAndTheLastReleaseDeletesOnce)
{
    int deaths = 0;
    TRefPtr<Tracked> a(new Tracked(&deaths));
    TRefPtr<Tracked> b(a);
    TRefPtr<Tracked> c;
    c = b;
    const TRefPtr<Tracked>& self = a;
    a = self;
    EXPECT_EQ(a.UseCount(), 3u);
    {
        TRefPtr<Tracked> d(a);
        d.Release();
        EXPECT_EQ(a.UseCount(), 3u);
    }  // d's destructor must not take a second share
    a.Release();
    b.Release();
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(c.UseCount(), 1u);
    c.Release();
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(c.Get(), nullptr);
}

TEST(TRefPtr, OwnedFlagClearedNeverDeletes)
{
    int deaths = 0;
    auto* object = new Tracked(&deaths);
    {
        TRefPtr<Tracked> owner(object);
        std::vector<TRefPtr<Tracked>> copies(4, owner);
        // The owner ends the object early, as a scene does when it is popped.
        owner.ClearOwned();
        EXPECT_EQ(owner.Get(), nullptr);
        EXPECT_EQ(copies[0].Get(), object);
        EXPECT_FALSE(copies[3].IsOwned());
    }
    EXPECT_EQ(deaths, 0);
    delete object;
}

TEST(TComPtr, LastReleaseCallsReleaseOnceAndArraysDeleteEveryElement)
{
    FakeInterface device;
    {
        TComPtr<FakeInterface> a(&device);
        TComPtr<FakeInterface> b(a);
        std::vector<TComPtr<FakeInterface>> list{a, b, a};
    }
    EXPECT_EQ(device.releases, 1);
    EXPECT_EQ(device.refs, 0u);

    Element::destroyed = 0;
    {
        TRefPtr<Element[]> a(new Element[3]);
        TRefPtr<Element[]> b = a;
    }
    EXPECT_EQ(Element::destroyed, 3);
}

}  // namespace
