// The time stop: starting and ending it, the board before the camera, holding an object at the point.
#include <gtest/gtest.h>

#include "MainCode/Enemy/TimeStop.h"
#include "MainCode/Map/TMeshHandle.h"
#include "effect_fixture.h"

namespace effecttest {
namespace {

class Standing : public TMeshHandle {
public:
    explicit Standing(const D3DXVECTOR3& at) : TMeshHandle(0)
    {
        m_frame = Frame("standing");
        m_frame->SetPosition(at);
    }
    bool Update() override { return true; }
    D3DXVECTOR3 At() const
    {
        D3DXVECTOR3 p;
        return *GetPosition(&p);
    }
};

class TimeStopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetTimeStop();
        D3DXMATRIX turn;
        D3DXMatrixRotationY(&turn, 1.1F);
        D3DXMATRIX move;
        D3DXMatrixTranslation(&move, 3.0F, 2.0F, -4.0F);
        camera_ = Frame("Camera", turn * move);
        camera_->AddChild(Frame("Earlier"));
    }
    void TearDown() override { ResetTimeStop(); }

    TRefPtr<TFrame> camera_;
    Standing player_{D3DXVECTOR3(1.0F, 0.5F, 2.0F)};
};

TEST_F(TimeStopTest, AStopWithABoardHangsItBeforeTheCameraAndHoldsThePlayer)
{
    TRefPtr<TFrame> board = Frame("TimeStop");
    SetTimeStopBoard(board);
    EXPECT_FALSE(IsTimeStopped());
    SetTimeStop(true, camera_.Get(), &player_);
    EXPECT_TRUE(IsTimeStopped());
    ASSERT_EQ(board->GetParent(), camera_.Get());
    EXPECT_EQ(camera_->GetChild(1), board.Get());
    D3DXVECTOR3 local;
    ExpectNear(*board->GetPosition(&local), D3DXVECTOR3(0.0F, 0.0F, 1.0F));
    // Facing the camera: its Z axis points back along the camera's.
    D3DXVECTOR3 boardZ;
    D3DXVECTOR3 cameraZ;
    board->GetWorldAxis(&boardZ, 3);
    camera_->GetWorldAxis(&cameraZ, 3);
    ExpectNear(boardZ, -cameraZ);
    ExpectNear(GetTimeStopPoint(), D3DXVECTOR3(1.0F, 0.5F, 2.0F));
    EXPECT_EQ(GetTimeStopCounter(), 600);
    EXPECT_EQ(CountDownTimeStop(), 599);

    player_.SetPosition(D3DXVECTOR3(8.0F, 8.0F, 8.0F));
    PlaceAtTimeStopPoint(&player_);
    ExpectNear(player_.At(), D3DXVECTOR3(1.0F, 0.5F, 2.0F));

    // A second start renews nothing.
    Standing other(D3DXVECTOR3(-5.0F, 0.0F, 0.0F));
    TRefPtr<TFrame> otherCamera = Frame("Other");
    SetTimeStop(true, otherCamera.Get(), &other);
    ExpectNear(GetTimeStopPoint(), D3DXVECTOR3(1.0F, 0.5F, 2.0F));
    EXPECT_EQ(GetTimeStopCounter(), 599);
    EXPECT_EQ(board->GetParent(), camera_.Get());

    // Ending takes the board down; the player walks again.
    SetTimeStop(false, nullptr, nullptr);
    EXPECT_FALSE(IsTimeStopped());
    EXPECT_EQ(board->GetParent(), nullptr);
    EXPECT_EQ(camera_->GetChildCount(), 1u);
    EXPECT_EQ(GetTimeStopBoard().Get(), board.Get());
    player_.SetPosition(D3DXVECTOR3(8.0F, 8.0F, 8.0F));
    PlaceAtTimeStopPoint(&player_);
    ExpectNear(player_.At(), D3DXVECTOR3(8.0F, 8.0F, 8.0F));
}

TEST_F(TimeStopTest, WithoutABoardOnlyTheFlagChanges)
{
    player_.SetPosition(D3DXVECTOR3(4.0F, 4.0F, 4.0F));
    PlaceAtTimeStopPoint(&player_);  // time runs: stays
    ExpectNear(player_.At(), D3DXVECTOR3(4.0F, 4.0F, 4.0F));

    SetTimeStop(true, camera_.Get(), &player_);
    EXPECT_TRUE(IsTimeStopped());
    EXPECT_EQ(camera_->GetChildCount(), 1u);
    EXPECT_EQ(GetTimeStopCounter(), 0);
    ExpectNear(GetTimeStopPoint(), D3DXVECTOR3(0.0F, 0.0F, 0.0F));
    SetTimeStop(false, camera_.Get(), &player_);
    EXPECT_FALSE(IsTimeStopped());
}

TEST_F(TimeStopTest, NullFrameOrObjectAreSkippedAndResetClearsEverything)
{
    TRefPtr<TFrame> board = Frame("TimeStop");
    SetTimeStopBoard(board);
    EXPECT_EQ(board.UseCount(), 2u);
    SetTimeStop(true, nullptr, nullptr);
    EXPECT_TRUE(IsTimeStopped());
    EXPECT_EQ(board->GetParent(), nullptr);
    EXPECT_EQ(GetTimeStopCounter(), 600);
    PlaceAtTimeStopPoint(nullptr);
    SetTimeStop(false, nullptr, nullptr);

    // Replacing a hanging board takes it down.
    SetTimeStop(true, camera_.Get(), &player_);
    TRefPtr<TFrame> second = Frame("TimeStop");
    SetTimeStopBoard(second);
    EXPECT_EQ(board->GetParent(), nullptr);
    EXPECT_EQ(board.UseCount(), 1u);

    ResetTimeStop();
    EXPECT_FALSE(IsTimeStopped());
    EXPECT_EQ(GetTimeStopBoard().Get(), nullptr);
    EXPECT_EQ(second.UseCount(), 1u);
    EXPECT_EQ(GetTimeStopCounter(), 0);
    ExpectNear(GetTimeStopPoint(), D3DXVECTOR3(0.0F, 0.0F, 0.0F));
}

}  // namespace
}  // namespace effecttest
