// Whether a time stop is in force. The enemies own the time stop; until their query exists this
// stand-in answers false, and tests can force it. Swap this file for the real query when it lands.
#pragma once

bool IsTimeStopped();
// Test hook: the answer of IsTimeStopped until the next call.
void SetTimeStoppedForTest(bool stopped);
