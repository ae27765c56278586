// The plug-in as a host first meets it: the exported entry, the descriptor it returns and
// the end of an instance. Everything goes through the shared library's exports.

#include "params/parameter_indices.h"
#include "support/alloc_counter.h"
#include "support/test_host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <malloc.h>

using kestro::test::TestHost;
using kestro::kBypass;
using kestro::kSpeed;

namespace {

TestHost::Options withVersion(VstIntPtr version)
{
    TestHost::Options options;
    options.versionAnswer = version;
    return options;
}

} // namespace

TEST(Entry, BothExportedNamesAreTheSameFunction)
{
    auto plugMain = kestro::test::pluginEntry("VSTPluginMain");
    auto legacyMain = kestro::test::pluginEntry("main");
    ASSERT_NE(plugMain, nullptr) << kestro::test::pluginLoadError();
    EXPECT_EQ(plugMain, legacyMain);

    TestHost::Options options;
    options.entrySymbol = "main";
    TestHost host(options);
    ASSERT_TRUE(host.create());
    EXPECT_EQ(host.effect()->magic, kEffectMagic);
}

TEST(Entry, AsksForTheHostVersionBeforeAnythingElse)
{
    TestHost host;
    ASSERT_TRUE(host.create());
    const auto calls = host.calls();
    ASSERT_GE(calls.size(), 2u);
    // Once in the entry, once more when the instance is made; neither has a descriptor yet.
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(calls[i].opcode, audioMasterVersion);
        EXPECT_FALSE(calls[i].withEffect);
        EXPECT_EQ(calls[i].index, 0);
        EXPECT_EQ(calls[i].value, 0);
    }
}

TEST(Entry, HostTooOldGetsNoInstance)
{
    TestHost host(withVersion(0));
    EXPECT_FALSE(host.create());
    EXPECT_EQ(host.effect(), nullptr);
    // Refused at the first question: nothing was constructed that could have asked more.
    EXPECT_EQ(host.calls().size(), 1u);
}

TEST(Entry, SecondVersionAnswerOfZeroAlsoRefuses)
{
    TestHost host;
    int versionQueries = 0;
    host.intercept = [&](TestHost&, const kestro::test::HostCall& call) -> std::optional<VstIntPtr> {
        if (call.opcode != audioMasterVersion)
            return std::nullopt;
        return ++versionQueries == 1 ? 2400 : 0;
    };
    EXPECT_FALSE(host.create());
    EXPECT_EQ(versionQueries, 2);
}

TEST(Entry, RefusedOrClosedInstancesLeaveNoMemoryBehind)
{
    // mallinfo only tells the truth while glibc's allocator is the one in use.
    KESTRO_SKIP_WITHOUT_ALLOCATION_COUNTING();
    {
        TestHost warmUp; // first load of the library allocates once for good
        ASSERT_TRUE(warmUp.create());
    }
    const auto before = ::mallinfo2().uordblks;
    {
        TestHost refused(withVersion(0));
        EXPECT_FALSE(refused.create());
    }
    EXPECT_EQ(::mallinfo2().uordblks, before);

    TestHost host;
    ASSERT_TRUE(host.create());
    EXPECT_GT(::mallinfo2().uordblks, before + sizeof(AEffect));
    EXPECT_EQ(host.close(), 1);
    EXPECT_EQ(host.effect(), nullptr);
    EXPECT_LE(::mallinfo2().uordblks, before + 1024) << "closing must free the instance and its editor";
}

TEST(Entry, CloseReturnsOneEvenAfterUse)
{
    TestHost host;
    ASSERT_TRUE(host.create());
    host.prepare();
    kestro::test::ChannelBuffers<float> in(2, 64, 0.5f), out(2, 64);
    host.processReplacing(in.pointers(), out.pointers(), 64);
    host.dispatch(effEditOpen);
    host.dispatch(effEditClose);
    host.dispatch(effMainsChanged, 0, 0);
    EXPECT_EQ(host.close(), 1);
}

TEST(Entry, WorksWithoutAHostCallback)
{
    TestHost::Options options;
    options.nullCallback = true;
    TestHost host(options);
    ASSERT_TRUE(host.create());
    host.setParameter(kSpeed, 0.75f);
    EXPECT_FLOAT_EQ(host.getParameter(kSpeed), 0.75f);
    host.setParameter(kBypass, 1.0f); // bypass: the outputs show which input reached them
    host.prepare(48000.0f, 256);

    // Without a host every pin counts as connected, so stereo stays stereo.
    kestro::test::ChannelBuffers<double> in(2, 32), out(2, 32);
    for (int i = 0; i < 32; ++i) {
        in[0][i] = 0.25;
        in[1][i] = -0.5;
    }
    host.processDoubleReplacing(in.pointers(), out.pointers(), 32);
    EXPECT_DOUBLE_EQ(out[1][31], -0.5);
    EXPECT_EQ(host.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(host.close(), 1);
}

TEST(Descriptor, CarriesTheProductValuesAndZerosEverywhereElse)
{
    TestHost host;
    ASSERT_TRUE(host.create());
    const AEffect* e = host.effect();

    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->numParams, 36);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, 0x1031);
    EXPECT_EQ(e->flags & effFlagsHasEditor, effFlagsHasEditor);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_NE(e->object, nullptr);
    EXPECT_EQ(e->uniqueID, 0x54764B31);
    EXPECT_EQ(e->version, 1);
    EXPECT_NE(e->dispatcher, nullptr);
    EXPECT_NE(e->process, nullptr);
    EXPECT_NE(e->setParameter, nullptr);
    EXPECT_NE(e->getParameter, nullptr);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->processDoubleReplacing, nullptr);

    // Blank out the fields just checked; every remaining byte (reserved fields, future
    // area and padding) must be zero.
    AEffect rest;
    std::memcpy(&rest, e, sizeof rest);
    rest.magic = 0;
    rest.dispatcher = nullptr;
    rest.process = nullptr;
    rest.setParameter = nullptr;
    rest.getParameter = nullptr;
    rest.numPrograms = rest.numParams = rest.numInputs = rest.numOutputs = rest.flags = 0;
    rest.ioRatio = 0.0f;
    rest.object = nullptr;
    rest.uniqueID = rest.version = 0;
    rest.processReplacing = nullptr;
    rest.processDoubleReplacing = nullptr;
    unsigned char bytes[sizeof rest];
    std::memcpy(bytes, &rest, sizeof rest);
    for (std::size_t i = 0; i < sizeof bytes; ++i)
        EXPECT_EQ(bytes[i], 0) << "byte " << i;
}

TEST(Descriptor, DeprecatedAccumulatingProcessAddsNothing)
{
    TestHost host;
    ASSERT_TRUE(host.create());
    host.prepare();
    kestro::test::ChannelBuffers<float> in(2, 16, 1.0f), out(2, 16, 0.125f);
    host.effect()->process(host.effect(), in.pointers(), out.pointers(), 16);
    EXPECT_EQ(out[0][15], 0.125f);
    EXPECT_EQ(out[1][0], 0.125f);
}
