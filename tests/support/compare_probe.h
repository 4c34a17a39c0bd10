// Counts the byte-block comparisons (memcmp, which every comparison of two texts of one length
// comes down to) made on the calling thread while an instance lives: the work of a search, counted
// the same on any machine. A scan through n names of one length makes n of them.
#pragma once

namespace qmtest {

// Works in sanitizer builds only (the ci preset), whose memcmp calls a hook; elsewhere Available()
// is false. One instance at a time.
class ComparisonProbe {
public:
    static bool Available();

    ComparisonProbe();
    ~ComparisonProbe();
    ComparisonProbe(const ComparisonProbe&) = delete;
    ComparisonProbe& operator=(const ComparisonProbe&) = delete;

    long Comparisons() const;
};

}  // namespace qmtest
