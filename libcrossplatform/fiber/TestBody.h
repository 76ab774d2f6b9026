#pragma once
// Adapters that let a fiber test's body stand alone: a test type stored as its body, and a reference that
// serializes the body of an existing test (for section helpers). Shared by the OTDR and image tests.
#include "serialization/Assert.h"
#include "serialization/ISerializable.h"

namespace Kestrix {

// A test stored, dumped and printed as its body alone.
template <typename Test>
class BodyOnly : public Test {
public:
    void serialize(Marshal::IObjectWriter& w) const override { this->serializeBody(w); }
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override { return this->deserializeBody(r); }
};

// The body of a test as an ISerializable. Reading needs the non-const form.
template <typename Test>
class BodyRef : public Marshal::ISerializable {
public:
    explicit BodyRef(Test& test) : _test(&test), _constTest(&test) {}
    explicit BodyRef(const Test& test) : _constTest(&test) {}

    void serialize(Marshal::IObjectWriter& w) const override { _constTest->serializeBody(w); }
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override {
        KX_ASSERT(_test != nullptr);
        return _test->deserializeBody(r);
    }

private:
    Test* _test = nullptr;
    const Test* _constTest;
};

}  // namespace Kestrix
