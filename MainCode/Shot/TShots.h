// The shot classes that differ only in their part class and whether an attack hit rides on them.
// Each is its own class, and its clone is of its own class.
#pragma once

#include "MainCode/Shot/TShot.h"

// Particle trails.
class TShotA : public TTrailShot<TBulletPartA> {
public:
    TShotA(const std::string& name, std::int32_t flightFrames, std::int32_t partCount, bool startParked,
           const float scale[3])
        : TTrailShot(name, flightFrames, partCount, startParked, scale)
    {
    }
    TEffect* Clone() const override { return new TShotA(*this); }
};

class TShotB : public TTrailShot<TBulletPartB> {
public:
    TShotB(const std::string& name, std::int32_t flightFrames, std::int32_t partCount, bool startParked,
           const float scale[3])
        : TTrailShot(name, flightFrames, partCount, startParked, scale)
    {
    }
    TEffect* Clone() const override { return new TShotB(*this); }
};

class TShotC : public TTrailShot<TBulletPartC> {
public:
    TShotC(const std::string& name, std::int32_t flightFrames, std::int32_t partCount, bool startParked,
           const float scale[3])
        : TTrailShot(name, flightFrames, partCount, startParked, scale)
    {
    }
    TEffect* Clone() const override { return new TShotC(*this); }
};

class TShotH : public TTrailShot<TBulletPartH> {
public:
    TShotH(const std::string& name, std::int32_t flightFrames, std::int32_t partCount, bool startParked,
           const float scale[3])
        : TTrailShot(name, flightFrames, partCount, startParked, scale)
    {
    }
    TEffect* Clone() const override { return new TShotH(*this); }
};

// Mesh trails; these two are only ever bases.
class TShotEBase : public TTrailShot<TBulletPartE> {
public:
    TShotEBase(const std::string& name, std::int32_t flightFrames, std::int32_t partCount, bool startParked,
               const float scale[3])
        : TTrailShot(name, flightFrames, partCount, startParked, scale)
    {
    }
    TEffect* Clone() const override { return new TShotEBase(*this); }
};

class TShotL : public TTrailShot<TBulletPartL> {
public:
    TShotL(const std::string& name, std::int32_t flightFrames, std::int32_t partCount, bool startParked,
           const float scale[3])
        : TTrailShot(name, flightFrames, partCount, startParked, scale)
    {
    }
    TEffect* Clone() const override { return new TShotL(*this); }
};

// Linked to an attack hit.
class TShotI : public TLinkedShot<TShotA> {
public:
    using TLinkedShot::TLinkedShot;
    TEffect* Clone() const override { return new TShotI(*this); }
};

class TShotF : public TLinkedShot<TShotB> {
public:
    using TLinkedShot::TLinkedShot;
    TEffect* Clone() const override { return new TShotF(*this); }
};

class TShotD : public TLinkedShot<TShotC> {
public:
    using TLinkedShot::TLinkedShot;
    TEffect* Clone() const override { return new TShotD(*this); }
};

class TShotG : public TLinkedShot<TShotH> {
public:
    using TLinkedShot::TLinkedShot;
    TEffect* Clone() const override { return new TShotG(*this); }
};

class TShotE : public TLinkedShot<TShotEBase> {
public:
    using TLinkedShot::TLinkedShot;
    TEffect* Clone() const override { return new TShotE(*this); }
};

class TShotK : public TLinkedShot<TShotL> {
public:
    using TLinkedShot::TLinkedShot;
    TEffect* Clone() const override { return new TShotK(*this); }
};
