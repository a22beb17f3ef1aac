// The drop target's own logic on a frame without a window: feedback,
// what a drop delivers, and that every block, string and medium goes back.
// The cursor is scripted, so the position a drop reports is known.
#include <gtest/gtest.h>

#include <ole2.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/drop/ArrayBlocks.h"
#include "tests/drop/TestDataObject.h"
#include "toolkit/DropTarget.h"
#include "toolkit/Frame.h"
#include "toolkit/Platform.h"
#include "toolkit/raster/Headless.h"

namespace stipplewave::test {
namespace {

using Handing = TestDataObject::Handing;

// An effect value that no answer uses: a drop must leave it as it is.
constexpr DWORD untouchedEffect = 0x5A5A;
// Where the platform says the drop is; the target goes by the cursor.
constexpr POINTL platformPoint{3, 4};

const IID* const otherInterfaces[] = {&IID_IDataObject, &IID_IClassFactory, &IID_IMarshal, &IID_IDropSource,
                                      &IID_IPersistFile};

TEST(DropTargetIdentity, AnswersForTheDropTargetAndUnknownInterfacesOnly) {
    int destructions = 0;
    auto* target = new CountingDropTarget(nullptr, destructions);
    for (const IID* id : {&IID_IDropTarget, &IID_IUnknown}) {
        const std::int32_t before = target->getReferenceCount();
        void* out = nullptr;
        EXPECT_EQ(target->QueryInterface(*id, &out), S_OK);
        EXPECT_EQ(out, static_cast<IDropTarget*>(target));
        EXPECT_EQ(target->getReferenceCount(), before + 1);
    }
    for (const IID* id : otherInterfaces) {
        void* out = target;  // must be overwritten
        EXPECT_EQ(target->QueryInterface(*id, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(target->getReferenceCount(), 2);
    EXPECT_EQ(target->QueryInterface(IID_IDropTarget, nullptr), E_POINTER);
    EXPECT_EQ(target->getReferenceCount(), 2);
    target->Release();
    target->Release();
    EXPECT_EQ(destructions, 1);
}

TEST(DropTargetIdentity, CountsReferencesFromZeroAndDestroysAtTheLastRelease) {
    int destructions = 0;
    auto* target = new CountingDropTarget(nullptr, destructions);
    EXPECT_EQ(target->getReferenceCount(), 0);
    EXPECT_EQ(target->AddRef(), 1u);
    EXPECT_EQ(target->AddRef(), 2u);
    EXPECT_EQ(target->Release(), 1u);
    EXPECT_EQ(destructions, 0);
    EXPECT_EQ(target->Release(), 0u);
    EXPECT_EQ(destructions, 1);
}

TEST(DropTargetIdentity, AReleaseWithoutAReferenceDestroysAtOnce) {
    int destructions = 0;
    auto* target = new CountingDropTarget(nullptr, destructions);
    EXPECT_EQ(static_cast<LONG>(target->Release()), -1);
    EXPECT_EQ(destructions, 1);
}

class DropTargetTest : public ::testing::Test {
protected:
    static constexpr Rect frameArea{0, 0, 278, 199};

    void SetUp() override {
        recorder = new DropRecorder(frameArea);
        ASSERT_TRUE(frame.addView(recorder));
        input.moveCursor(Point(120, 80));
        target = new CountingDropTarget(&frame, destructions);
        target->AddRef();
    }
    void TearDown() override {
        arrayBlocks::stopWatching();
        EXPECT_EQ(target->Release(), 0u);
        EXPECT_EQ(destructions, 1);
    }

    // A drop with the array allocations watched: every block the target
    // made for it is given back by the time it returns, and the effect
    // stays as it was.
    HRESULT drop(IDataObject* data, DWORD keyState = 0) {
        DWORD effect = untouchedEffect;
        arrayBlocks::startWatching();
        const HRESULT result = target->Drop(data, keyState, platformPoint, &effect);
        arrayBlocks::stopWatching();
        EXPECT_EQ(effect, untouchedEffect);
        EXPECT_EQ(arrayBlocks::stillHeld(), 0u) << "a name, a list or a text copy was not freed";
        return result;
    }

    // Every medium the data object handed out has come back.
    static void expectMediaGivenBack(const TestDataObject& data) {
        for (HGLOBAL copy : data.copiesHandedOut) {
            EXPECT_TRUE(blockFreed(copy)) << "a medium's block was not freed";
        }
        EXPECT_EQ(data.releaseCounter.references, 0) << "a medium's release object was not released";
    }

    raster::ScriptedInput input;
    platform::ScopedServices services{platform::Services{nullptr, &input, nullptr, nullptr}};
    Frame frame{frameArea, nullptr, nullptr};
    DropRecorder* recorder = nullptr;
    int destructions = 0;
    CountingDropTarget* target = nullptr;
};

// --- feedback ----------------------------------------------------------------------

enum class Offered { Nothing, Text, Files, Both, FailingObject, NoObject };

struct FeedbackCase {
    Offered offered;
    DWORD keyState;
    DWORD effect;
};

void offer(TestDataObject& data, Offered what) {
    if (what == Offered::Text || what == Offered::Both) {
        data.offerText("some text");
    }
    if (what == Offered::Files || what == Offered::Both) {
        data.offerFiles({"C:\\one.wav"});
    }
    data.failEveryCall = what == Offered::FailingObject;
}

TEST_F(DropTargetTest, FeedbackIsMoveCopyWithControlAndNoneForAnythingElse) {
    const FeedbackCase cases[] = {
        {Offered::Files, 0, DROPEFFECT_MOVE},
        {Offered::Files, MK_CONTROL, DROPEFFECT_COPY},
        {Offered::Files, MK_CONTROL | MK_LBUTTON, DROPEFFECT_COPY},
        {Offered::Files, MK_SHIFT | MK_LBUTTON, DROPEFFECT_MOVE},
        {Offered::Text, 0, DROPEFFECT_MOVE},
        {Offered::Text, MK_CONTROL, DROPEFFECT_COPY},
        {Offered::Both, MK_CONTROL, DROPEFFECT_COPY},
        {Offered::Nothing, 0, DROPEFFECT_NONE},
        {Offered::Nothing, MK_CONTROL, DROPEFFECT_NONE},
        {Offered::FailingObject, MK_CONTROL, DROPEFFECT_NONE},
        {Offered::NoObject, MK_CONTROL, DROPEFFECT_NONE},
    };
    for (const FeedbackCase& c : cases) {
        TestDataObject data;
        offer(data, c.offered);
        IDataObject* given = c.offered == Offered::NoObject ? nullptr : &data;
        DWORD effect = untouchedEffect;
        EXPECT_EQ(target->DragEnter(given, c.keyState, platformPoint, &effect), S_OK);
        EXPECT_EQ(effect, c.effect) << "offered " << static_cast<int>(c.offered) << ", keys " << c.keyState;
        EXPECT_EQ(target->getAcceptsData(), c.effect != DROPEFFECT_NONE);

        // Moving on with the other key state answers by the same offer.
        const DWORD otherKeys = c.keyState & MK_CONTROL ? 0 : MK_CONTROL;
        effect = untouchedEffect;
        EXPECT_EQ(target->DragOver(otherKeys, POINTL{500, 500}, &effect), S_OK);
        const DWORD expected =
            c.effect == DROPEFFECT_NONE ? DROPEFFECT_NONE : (otherKeys & MK_CONTROL ? DROPEFFECT_COPY : DROPEFFECT_MOVE);
        EXPECT_EQ(effect, expected);
        EXPECT_TRUE(data.fetched.empty()) << "feedback only asks, it takes no data";
    }
}

TEST_F(DropTargetTest, FeedbackAsksForTextFirstAndForFilesOnlyWhenThereIsNoText) {
    const struct {
        Offered offered;
        std::vector<CLIPFORMAT> asked;
    } cases[] = {
        {Offered::Text, {CF_TEXT}},
        {Offered::Both, {CF_TEXT}},
        {Offered::Files, {CF_TEXT, CF_HDROP}},
        {Offered::Nothing, {CF_TEXT, CF_HDROP}},
    };
    for (const auto& c : cases) {
        TestDataObject data;
        offer(data, c.offered);
        DWORD effect = 0;
        target->DragEnter(&data, 0, platformPoint, &effect);
        EXPECT_EQ(data.queried, c.asked) << "offered " << static_cast<int>(c.offered);
    }
}

TEST_F(DropTargetTest, TheStateOfTheLastEnterHoldsUntilTheNextEnter) {
    TestDataObject files;
    files.offerFiles({"C:\\a.wav"});
    TestDataObject nothing;
    DWORD effect = 0;

    target->DragEnter(&files, 0, platformPoint, &effect);
    EXPECT_EQ(target->DragLeave(), S_OK);
    EXPECT_TRUE(target->getAcceptsData()) << "leaving does not change what the drag offered";
    target->DragOver(MK_CONTROL, platformPoint, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    drop(&files);
    EXPECT_TRUE(target->getAcceptsData()) << "a drop does not change it either";

    target->DragEnter(&nothing, 0, platformPoint, &effect);
    EXPECT_FALSE(target->getAcceptsData());
    target->DragOver(MK_CONTROL, platformPoint, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
}

TEST_F(DropTargetTest, ANullEffectPointerIsRefusedWithoutACrash) {
    TestDataObject data;
    data.offerText("text");
    EXPECT_EQ(target->DragEnter(&data, MK_CONTROL, platformPoint, nullptr), E_INVALIDARG);
    EXPECT_TRUE(target->getAcceptsData());
    EXPECT_EQ(target->DragOver(MK_CONTROL, platformPoint, nullptr), E_INVALIDARG);
    EXPECT_EQ(target->DragEnter(nullptr, 0, platformPoint, nullptr), E_INVALIDARG);
    EXPECT_FALSE(target->getAcceptsData());
    EXPECT_EQ(target->Drop(&data, 0, platformPoint, nullptr), S_OK);
    EXPECT_EQ(recorder->offered.size(), 1u);
}

// --- text ------------------------------------------------------------------------------

TEST_F(DropTargetTest, ATextDropDeliversTheTextWithTheBlockSizeAsCountAtTheCursor) {
    const std::string text = "sixteen steps";
    for (SIZE_T size : {SIZE_T{0}, SIZE_T{64}, SIZE_T{1000}}) {
        recorder->offered.clear();
        TestDataObject data;
        data.offerText(text, size);
        const SIZE_T blockSize = GlobalSize(data.block(CF_TEXT));
        ASSERT_GE(blockSize, size);

        EXPECT_EQ(drop(&data), S_OK);
        ASSERT_EQ(recorder->offered.size(), 1u) << "size " << size;
        const OfferedDrop& offer = recorder->offered[0];
        EXPECT_EQ(offer.kind, DropText);
        EXPECT_EQ(offer.count, static_cast<std::int32_t>(blockSize));
        EXPECT_EQ(offer.items, std::vector<std::string>{text});
        EXPECT_EQ(offer.where, Point(120, 80));
        EXPECT_EQ(data.fetched, std::vector<CLIPFORMAT>{CF_TEXT});
        expectMediaGivenBack(data);
    }
}

TEST_F(DropTargetTest, TextWinsWhenTextAndFilesAreOffered) {
    TestDataObject data;
    data.offerFiles({"C:\\kick.wav", "C:\\snare.wav"});
    data.offerText("the text");
    EXPECT_EQ(drop(&data), S_OK);
    ASSERT_EQ(recorder->offered.size(), 1u);
    EXPECT_EQ(recorder->offered[0].kind, DropText);
    EXPECT_EQ(recorder->offered[0].items, std::vector<std::string>{"the text"});
    EXPECT_EQ(data.fetched, std::vector<CLIPFORMAT>{CF_TEXT});
    expectMediaGivenBack(data);
}

TEST_F(DropTargetTest, TextWithoutATerminatorIsDeliveredTerminatedInABlockOneByteLonger) {
    TestDataObject data;
    data.offer(CF_TEXT, makeRawBlock("no end"));
    EXPECT_EQ(drop(&data), S_OK);
    ASSERT_EQ(recorder->offered.size(), 1u);
    const OfferedDrop& offer = recorder->offered[0];
    EXPECT_EQ(offer.count, 7);
    EXPECT_EQ(offer.items, std::vector<std::string>{"no end"});
    EXPECT_EQ(arrayBlocks::sizeMade(offer.itemAddresses[0]), 7u);
    EXPECT_TRUE(arrayBlocks::wasFreed(offer.itemAddresses[0]));
    expectMediaGivenBack(data);
}

// --- files -------------------------------------------------------------------------------

TEST_F(DropTargetTest, FilesAreDeliveredInOrderEachInABlockOfItsOwn) {
    const std::vector<std::string> names = {"C:\\loops\\kick.wav", "D:\\x.lnk.txt", "noext", "C:\\dir.lnk\\file"};
    TestDataObject data;
    data.offerFiles(names);
    EXPECT_EQ(drop(&data, MK_CONTROL), S_OK);

    ASSERT_EQ(recorder->offered.size(), 1u);
    const OfferedDrop& offer = recorder->offered[0];
    EXPECT_EQ(offer.kind, DropFileNames);
    EXPECT_EQ(offer.count, 4);
    EXPECT_EQ(offer.items, names);
    EXPECT_EQ(offer.where, Point(120, 80));
    EXPECT_EQ(data.fetched, (std::vector<CLIPFORMAT>{CF_TEXT, CF_HDROP}));

    // Made for this drop and freed after it.
    EXPECT_EQ(arrayBlocks::sizeMade(offer.list), names.size() * sizeof(char*));
    EXPECT_TRUE(arrayBlocks::wasFreed(offer.list));
    for (const char* item : offer.itemAddresses) {
        EXPECT_EQ(arrayBlocks::sizeMade(item), dropNameCapacity) << item;
        EXPECT_TRUE(arrayBlocks::wasFreed(item)) << item;
    }
    expectMediaGivenBack(data);
}

TEST_F(DropTargetTest, ANameThatCannotBeReadIsSkippedAndTheCountIsOfTheNamesDelivered) {
    // An empty entry opens the list: the list reader counts it and then
    // reads nothing for it.
    TestDataObject data;
    data.offer(CF_HDROP, makeFileListBlock(std::string("\0C:\\first.wav\0C:\\second.wav\0\0", 30)));
    ASSERT_EQ(DragQueryFileA(static_cast<HDROP>(data.block(CF_HDROP)), 0xFFFFFFFF, nullptr, 0), 3u);
    char probe[8];
    ASSERT_EQ(DragQueryFileA(static_cast<HDROP>(data.block(CF_HDROP)), 0, probe, sizeof probe), 0u);

    EXPECT_EQ(drop(&data), S_OK);
    ASSERT_EQ(recorder->offered.size(), 1u);
    EXPECT_EQ(recorder->offered[0].count, 2);
    EXPECT_EQ(recorder->offered[0].items, (std::vector<std::string>{"C:\\first.wav", "C:\\second.wav"}));
    expectMediaGivenBack(data);
}

TEST_F(DropTargetTest, ANameLongerThanTheBufferIsCutAndTerminated) {
    const std::string longName = "C:\\" + std::string(1500, 'q');
    TestDataObject data;
    data.offerFiles({"C:\\a.wav", longName, "C:\\b.wav"});
    EXPECT_EQ(drop(&data), S_OK);
    ASSERT_EQ(recorder->offered.size(), 1u);
    const OfferedDrop& offer = recorder->offered[0];
    ASSERT_EQ(offer.count, 3);
    EXPECT_EQ(offer.items[0], "C:\\a.wav");
    EXPECT_EQ(offer.items[1], longName.substr(0, dropNameCapacity - 1));
    EXPECT_EQ(offer.items[2], "C:\\b.wav");
    expectMediaGivenBack(data);
}

TEST_F(DropTargetTest, AListInWideCharactersIsDeliveredInEightBitCharacters) {
    TestDataObject data;
    data.offer(CF_HDROP, makeWideFileListBlock(std::wstring(L"C:\\wide one.wav\0C:\\wide two.wav\0\0", 33)));
    EXPECT_EQ(drop(&data), S_OK);
    ASSERT_EQ(recorder->offered.size(), 1u);
    EXPECT_EQ(recorder->offered[0].items, (std::vector<std::string>{"C:\\wide one.wav", "C:\\wide two.wav"}));
    expectMediaGivenBack(data);
}

// --- giving back ---------------------------------------------------------------------------

TEST_F(DropTargetTest, TheMediumGoesBackThroughItsReleaseObjectElseItsBlockIsFreed) {
    for (Handing handing : {Handing::Copy, Handing::ReleaseObject}) {
        for (CLIPFORMAT format : {CLIPFORMAT{CF_TEXT}, CLIPFORMAT{CF_HDROP}}) {
            recorder->offered.clear();
            TestDataObject data;
            data.handing = handing;
            if (format == CF_TEXT) {
                data.offerText("text");
            } else {
                data.offerFiles({"C:\\a.wav"});
            }
            EXPECT_EQ(drop(&data), S_OK);
            EXPECT_EQ(recorder->offered.size(), 1u);
            if (handing == Handing::Copy) {
                EXPECT_EQ(data.copiesHandedOut.size(), 1u);
                EXPECT_EQ(data.releaseObjectsHandedOut, 0);
            } else {
                EXPECT_EQ(data.releaseObjectsHandedOut, 1);
                EXPECT_FALSE(blockFreed(data.block(format))) << "a block with a release object stays its owner's";
            }
            expectMediaGivenBack(data);
        }
    }
}

TEST_F(DropTargetTest, BadInputDeliversNothingAndLeaksNothing) {
    const struct {
        const char* what;
        std::function<void(TestDataObject&)> prepare;
        std::vector<CLIPFORMAT> fetched;
    } cases[] = {
        {"an object that fails every call",
         [](TestDataObject& data) {
             data.offerText("text");
             data.offerFiles({"C:\\a.wav"});
             data.failEveryCall = true;
         },
         {}},
        {"an object that offers nothing", [](TestDataObject&) {}, {CF_TEXT, CF_HDROP}},
        {"an empty text block", [](TestDataObject& data) { data.offer(CF_TEXT, makeRawBlock("")); }, {CF_TEXT}},
        {"an empty file-list block", [](TestDataObject& data) { data.offer(CF_HDROP, makeRawBlock("")); },
         {CF_TEXT, CF_HDROP}},
        {"a file-list block shorter than its header",
         [](TestDataObject& data) { data.offer(CF_HDROP, makeRawBlock(std::string("\x14\0\0\0", 4))); },
         {CF_TEXT, CF_HDROP}},
        {"a list of no names",
         [](TestDataObject& data) { data.offer(CF_HDROP, makeFileListBlock(std::string("\0\0", 2))); },
         {CF_TEXT, CF_HDROP}},
        {"a list that does not end inside its block",
         [](TestDataObject& data) { data.offer(CF_HDROP, makeFileListBlock(std::string("C:\\a.wav\0C:\\b", 13))); },
         {CF_TEXT, CF_HDROP}},
        {"a list that starts past its block",
         [](TestDataObject& data) {
             std::string header(sizeof(DROPFILES), '\0');
             header[0] = 'x';  // pFiles = 120
             data.offer(CF_HDROP, makeRawBlock(header + std::string("C:\\a.wav\0\0", 10)));
         },
         {CF_TEXT, CF_HDROP}},
        {"media that are no memory blocks",
         [](TestDataObject& data) {
             data.offerText("text");
             data.offerFiles({"C:\\a.wav"});
             data.handing = Handing::NotABlock;
         },
         {CF_TEXT, CF_HDROP}},
        {"a text medium without a block",
         [](TestDataObject& data) {
             data.offerText("text");
             data.handing = Handing::NullBlock;
         },
         {CF_TEXT}},
        {"a file medium without a block",
         [](TestDataObject& data) {
             data.offerFiles({"C:\\a.wav"});
             data.handing = Handing::NullBlock;
         },
         {CF_TEXT, CF_HDROP}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestDataObject data;
        c.prepare(data);
        EXPECT_EQ(drop(&data), S_OK);
        EXPECT_TRUE(recorder->offered.empty());
        EXPECT_EQ(data.fetched, c.fetched);
        expectMediaGivenBack(data);
    }
    EXPECT_EQ(drop(nullptr), S_OK);
    EXPECT_TRUE(recorder->offered.empty());
}

// --- where it goes --------------------------------------------------------------------------

TEST_F(DropTargetTest, TheCursorNotThePlatformsPointDecidesWhichViewIsOffered) {
    auto* corner = new DropRecorder(Rect(0, 0, 10, 10));
    ASSERT_TRUE(frame.addView(corner));
    TestDataObject data;
    data.offerFiles({"C:\\a.wav"});

    input.moveCursor(Point(200, 150));  // outside the corner, where the platform's point is inside
    drop(&data);
    EXPECT_TRUE(corner->offered.empty());
    ASSERT_EQ(recorder->offered.size(), 1u);
    EXPECT_EQ(recorder->offered[0].where, Point(200, 150));

    input.moveCursor(Point(10, 10));
    drop(&data);
    ASSERT_EQ(corner->offered.size(), 1u);
    EXPECT_EQ(corner->offered[0].where, Point(10, 10));
    EXPECT_EQ(recorder->offered.size(), 1u) << "the view on top took it";
    expectMediaGivenBack(data);
}

TEST_F(DropTargetTest, ADropThatNoViewTakesStillGivesEverythingBack) {
    recorder->takesDrops = false;
    input.moveCursor(Point(400, 400));  // outside the frame as well
    TestDataObject data;
    data.offerFiles({"C:\\a.wav", "C:\\b.wav"});
    EXPECT_EQ(drop(&data), S_OK);
    EXPECT_TRUE(recorder->offered.empty());
    input.moveCursor(Point(5, 5));
    EXPECT_EQ(drop(&data), S_OK);
    EXPECT_EQ(recorder->offered.size(), 1u);
    expectMediaGivenBack(data);
}

TEST(DropTargetWithoutFrame, ADropAsksForNothing) {
    int destructions = 0;
    auto* target = new CountingDropTarget(nullptr, destructions);
    target->AddRef();
    TestDataObject data;
    data.offerText("text");
    DWORD effect = untouchedEffect;
    EXPECT_EQ(target->Drop(&data, 0, platformPoint, &effect), S_OK);
    EXPECT_TRUE(data.fetched.empty());
    EXPECT_EQ(effect, untouchedEffect);
    target->Release();
    EXPECT_EQ(destructions, 1);
}

}  // namespace
}  // namespace stipplewave::test
