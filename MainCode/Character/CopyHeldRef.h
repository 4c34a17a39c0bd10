// Pattern-event and skill code hand a frame on to a motion helper that outlives their own holder:
// they take a share of the frame reference a record (an effect, a bullet part, a character) holds.
#pragma once

#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"

// out becomes a counted share (count + 1) of the record's frame reference; empty without a record.
template <typename Record>
void CopyHeldRef(const Record* record, TRefPtr<TFrame>& out)
{
    out = record != nullptr ? record->GetFrameRef() : TRefPtr<TFrame>();
}
