// The enemy data table. Stands in until enemies exist: loading records nothing.
#pragma once

#include <string>

inline void LoadEnemyData(const std::string& /*path*/) {}
