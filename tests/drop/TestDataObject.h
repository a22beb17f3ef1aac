// What the drop tests drag: a data object that offers text, a file list,
// both or neither in global memory blocks, and can refuse every call; the
// release object that it hands out with its media; memory blocks for text
// and for file lists (a DROPFILES header and the names, each ended by a
// terminator, the list by one more); a view that records what a frame
// offers it; and a drop target whose destruction is counted.
//
// Threading: the user-interface thread of the test, as OLE would call them.
#pragma once

#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/DropTarget.h"
#include "toolkit/Frame.h"

namespace stipplewave::test {

// A text block of `size` bytes (at least the text and its terminator when
// 0) with the text at its start and zeros after it.
HGLOBAL makeTextBlock(const std::string& text, SIZE_T size = 0);
// A block of exactly these bytes (none: a block of size 0).
HGLOBAL makeRawBlock(const std::string& bytes);
// A file-list block: DROPFILES, then `list` as it is (the caller writes
// every terminator), in 8-bit or wide characters.
HGLOBAL makeFileListBlock(const std::string& list);
HGLOBAL makeWideFileListBlock(const std::wstring& list);
// The usual list: each name ended by a terminator, one more at the end.
std::string fileList(const std::vector<std::string>& names);

// Counts how often the media it was handed out with were given back.
class ReleaseCounter final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }

    LONG references = 0;
};

class TestDataObject final : public IDataObject {
public:
    // How GetData hands its blocks out.
    enum class Handing {
        Copy,           // a fresh copy that the receiver frees
        ReleaseObject,  // the object's own block with a ReleaseCounter
        NotABlock,      // success, but a medium that is no memory block
        NullBlock,      // success, but a memory medium without a block
    };

    TestDataObject() = default;
    ~TestDataObject();
    TestDataObject(const TestDataObject&) = delete;
    TestDataObject& operator=(const TestDataObject&) = delete;

    // Takes the block over (freed with the object).
    void offer(CLIPFORMAT format, HGLOBAL block);
    void offerText(const std::string& text, SIZE_T size = 0) { offer(CF_TEXT, makeTextBlock(text, size)); }
    void offerFiles(const std::vector<std::string>& names) {
        offer(CF_HDROP, makeFileListBlock(fileList(names)));
    }
    HGLOBAL block(CLIPFORMAT format) const;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
    // S_OK only for an offered format asked as content of every index in
    // global memory with no target device.
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return failure(); }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return failure(); }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override;

    // Every call answers E_FAIL (and GetData leaves the medium alone).
    bool failEveryCall = false;
    Handing handing = Handing::Copy;

    // The formats asked for, in order, by QueryGetData and by GetData.
    std::vector<CLIPFORMAT> queried;
    std::vector<CLIPFORMAT> fetched;
    // Blocks handed out as copies, for the receiver to free.
    std::vector<HGLOBAL> copiesHandedOut;
    // Media handed out with the release object.
    int releaseObjectsHandedOut = 0;
    ReleaseCounter releaseCounter;
    LONG references = 1;

private:
    struct Offer {
        CLIPFORMAT format;
        HGLOBAL block;
    };
    HRESULT failure() const { return failEveryCall ? E_FAIL : E_NOTIMPL; }
    const Offer* find(CLIPFORMAT format) const;
    // The offer, when asked for as content of every index in global memory
    // with no target device.
    const Offer* offeredAsAsked(const FORMATETC& format) const;

    std::vector<Offer> offers;
};

// Whether a block handed out has been freed: the handle is no longer valid.
bool blockFreed(HGLOBAL block);

// One drop as a view was offered it, copied while the drop lasted.
struct OfferedDrop {
    std::int32_t count = 0;
    DropKind kind = DropFileNames;
    Point where;
    std::vector<std::string> items;  // each up to its terminator
    char** list = nullptr;           // the addresses, valid only during the drop
    std::vector<const char*> itemAddresses;
};

class DropRecorder final : public View {
public:
    explicit DropRecorder(const Rect& area, bool takes = true) : View(area), takesDrops(takes) {}

    bool acceptDrop(char** items, std::int32_t count, DropKind kind, Point& where) override;

    bool takesDrops;
    std::vector<OfferedDrop> offered;
};

// A drop target that counts its destructions.
class CountingDropTarget final : public DropTarget {
public:
    CountingDropTarget(Frame* owner, int& destructions) : DropTarget(owner), destroyed(destructions) {}

protected:
    ~CountingDropTarget() override { ++destroyed; }

private:
    int& destroyed;
};

}  // namespace stipplewave::test
