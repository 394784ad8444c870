#include "ClassFactory.h"
#include "ComObject.h"
#include "ComPtr.h"
#include <gtest/gtest.h>
#include <ocidl.h>

namespace {

// {6C2B5C0E-4C1F-4E55-9B1E-2F4C7A0B9D11}
const CLSID CLSID_TestObject = {0x6c2b5c0e, 0x4c1f, 0x4e55, {0x9b, 0x1e, 0x2f, 0x4c, 0x7a, 0x0b, 0x9d, 0x11}};
const CLSID CLSID_Unknown = {0x6c2b5c0e, 0x4c1f, 0x4e55, {0x9b, 0x1e, 0x2f, 0x4c, 0x7a, 0x0b, 0x9d, 0x12}};

// IPersistStream inherits IPersist; the table answers IPersist through IPersistStream.
class TestObject : public kest::ComObject<TestObject, IPersistStream, IObjectWithSite> {
public:
    static const kest::InterfaceEntry* interfaceTable() {
        static const kest::InterfaceEntry table[] = {
            KEST_INTERFACE(TestObject, IPersistStream),
            KEST_INTERFACE_VIA(TestObject, IPersist, IPersistStream),
            KEST_INTERFACE(TestObject, IObjectWithSite),
            KEST_INTERFACE_END,
        };
        return table;
    }
    STDMETHODIMP GetClassID(CLSID* clsid) override {
        *clsid = CLSID_TestObject;
        return S_OK;
    }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(IStream*) override { return S_OK; }
    STDMETHODIMP Save(IStream*, BOOL) override { return S_OK; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override {
        size->QuadPart = 0;
        return S_OK;
    }
    STDMETHODIMP SetSite(IUnknown*) override { return S_OK; }
    STDMETHODIMP GetSite(REFIID, void** out) override {
        *out = nullptr;
        return E_FAIL;
    }
};

const kest::ClassEntry testClasses[] = {
    {&CLSID_TestObject, kest::createComObject<TestObject>},
    {nullptr, nullptr},
};

TEST(ComObjectTest, InterfaceTableAnswersListedAndInheritedInterfacesWithOneIdentity) {
    const LONG before = kest::LiveObjectCount::value();
    {
        auto object = kest::ComPtr<IPersistStream>::attach(new TestObject());
        EXPECT_EQ(before + 1, kest::LiveObjectCount::value());

        auto persist = object.query<IPersist>();
        auto site = object.query<IObjectWithSite>();
        auto unknown1 = object.query<IUnknown>();
        auto unknown2 = site.query<IUnknown>();
        ASSERT_TRUE(persist && site && unknown1 && unknown2);
        EXPECT_EQ(unknown1.get(), unknown2.get());
        CLSID clsid{};
        EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
        EXPECT_TRUE(IsEqualCLSID(CLSID_TestObject, clsid));

        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(IID_IClassFactory, &out));
        EXPECT_EQ(nullptr, out);
        EXPECT_EQ(E_POINTER, object->QueryInterface(IID_IPersist, nullptr));
    }
    EXPECT_EQ(before, kest::LiveObjectCount::value());
}

TEST(ComObjectTest, ReferenceCountsArePlainAndTheLastReleaseDestroys) {
    const LONG before = kest::LiveObjectCount::value();
    auto* object = new TestObject();
    EXPECT_EQ(2u, object->AddRef());
    EXPECT_EQ(1u, object->Release());
    EXPECT_EQ(before + 1, kest::LiveObjectCount::value());
    EXPECT_EQ(0u, object->Release());
    EXPECT_EQ(before, kest::LiveObjectCount::value());
}

TEST(ClassFactoryTest, UnknownClassIsRefusedAndLeavesOutNull) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, kest::getClassObject(testClasses, CLSID_Unknown, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
}

TEST(ClassFactoryTest, FactoryCreatesObjectsRefusesAggregationAndCountsItself) {
    const LONG before = kest::LiveObjectCount::value();
    kest::ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, kest::getClassObject(testClasses, CLSID_TestObject, IID_IClassFactory, factory.putVoid()));
    EXPECT_EQ(before + 1, kest::LiveObjectCount::value());

    kest::ComPtr<IUnknown> outer;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, outer.putVoid()));
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer.get(), IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(before + 2, kest::LiveObjectCount::value());

    // A refused interface destroys the new object again.
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(before + 2, kest::LiveObjectCount::value());
    EXPECT_EQ(E_NOTIMPL, factory->LockServer(TRUE));

    outer.reset();
    factory.reset();
    EXPECT_EQ(before, kest::LiveObjectCount::value());
}

}  // namespace
