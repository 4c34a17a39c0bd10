#pragma once

#include "platform/d3dx8/d3dx8core.h"
#include "platform/d3dx8/d3dx8math.h"
