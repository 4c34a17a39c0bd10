// The equipment tables. Stand in until the table files are read: loading records nothing.
#pragma once

#include <string>

class TWeponTable {
public:
    static void Load(const std::string& /*path*/) {}
};

class TItemMeanTable {
public:
    static void Load(const std::string& /*path*/) {}
};

class TAccessoryTable {
public:
    static void Load(const std::string& /*path*/) {}
};
