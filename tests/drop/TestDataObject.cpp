#include "tests/drop/TestDataObject.h"

#include <shlobj.h>

#include <cstring>

namespace stipplewave::test {

namespace {

HGLOBAL blockOf(const void* bytes, SIZE_T size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (block == nullptr || size == 0) {
        return block;
    }
    void* at = GlobalLock(block);
    std::memcpy(at, bytes, size);
    GlobalUnlock(block);
    return block;
}

HGLOBAL copyOf(HGLOBAL block) {
    const SIZE_T size = GlobalSize(block);
    if (size == 0) {
        return GlobalAlloc(GMEM_MOVEABLE, 0);
    }
    const void* bytes = GlobalLock(block);
    HGLOBAL copy = blockOf(bytes, size);
    GlobalUnlock(block);
    return copy;
}

HGLOBAL fileListBlockOf(const void* list, SIZE_T listBytes, bool wide) {
    std::string bytes(sizeof(DROPFILES) + listBytes, '\0');
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = wide ? TRUE : FALSE;
    std::memcpy(&bytes[0], &header, sizeof header);
    std::memcpy(&bytes[sizeof header], list, listBytes);
    return blockOf(bytes.data(), bytes.size());
}

}  // namespace

HGLOBAL makeTextBlock(const std::string& text, SIZE_T size) {
    std::string bytes = text;
    bytes.resize(size != 0 ? size : text.size() + 1, '\0');
    return blockOf(bytes.data(), bytes.size());
}

HGLOBAL makeRawBlock(const std::string& bytes) { return blockOf(bytes.data(), bytes.size()); }

HGLOBAL makeFileListBlock(const std::string& list) { return fileListBlockOf(list.data(), list.size(), false); }

HGLOBAL makeWideFileListBlock(const std::wstring& list) {
    return fileListBlockOf(list.data(), list.size() * sizeof(wchar_t), true);
}

std::string fileList(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) {
        list += name;
        list += '\0';
    }
    list += '\0';
    return list;
}

bool blockFreed(HGLOBAL block) { return GlobalFlags(block) == GMEM_INVALID_HANDLE; }

// --- release object ------------------------------------------------------------

HRESULT STDMETHODCALLTYPE ReleaseCounter::QueryInterface(REFIID id, void** out) {
    if (IsEqualIID(id, IID_IUnknown)) {
        *out = this;
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

// --- data object -----------------------------------------------------------------

TestDataObject::~TestDataObject() {
    for (const Offer& offered : offers) {
        GlobalFree(offered.block);
    }
}

void TestDataObject::offer(CLIPFORMAT format, HGLOBAL block) { offers.push_back(Offer{format, block}); }

HGLOBAL TestDataObject::block(CLIPFORMAT format) const {
    const Offer* offered = find(format);
    return offered != nullptr ? offered->block : nullptr;
}

const TestDataObject::Offer* TestDataObject::find(CLIPFORMAT format) const {
    for (const Offer& offered : offers) {
        if (offered.format == format) {
            return &offered;
        }
    }
    return nullptr;
}

const TestDataObject::Offer* TestDataObject::offeredAsAsked(const FORMATETC& format) const {
    const bool asked = format.ptd == nullptr && format.dwAspect == DVASPECT_CONTENT && format.lindex == -1 &&
                       (format.tymed & TYMED_HGLOBAL) != 0;
    return asked ? find(format.cfFormat) : nullptr;
}

HRESULT STDMETHODCALLTYPE TestDataObject::QueryInterface(REFIID id, void** out) {
    if (failEveryCall) {
        *out = nullptr;
        return E_FAIL;
    }
    if (IsEqualIID(id, IID_IDataObject) || IsEqualIID(id, IID_IUnknown)) {
        *out = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TestDataObject::QueryGetData(FORMATETC* format) {
    if (failEveryCall) {
        return E_FAIL;
    }
    queried.push_back(format->cfFormat);
    return offeredAsAsked(*format) != nullptr ? S_OK : DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE TestDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (failEveryCall) {
        return E_FAIL;
    }
    fetched.push_back(format->cfFormat);
    const Offer* offered = offeredAsAsked(*format);
    if (offered == nullptr) {
        return DV_E_FORMATETC;
    }
    *medium = STGMEDIUM{};
    switch (handing) {
    case Handing::Copy:
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copyOf(offered->block);
        copiesHandedOut.push_back(medium->hGlobal);
        return S_OK;
    case Handing::ReleaseObject:
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = offered->block;
        break;
    case Handing::NotABlock:
        medium->tymed = TYMED_NULL;
        break;
    case Handing::NullBlock:
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = nullptr;
        break;
    }
    medium->pUnkForRelease = &releaseCounter;
    releaseCounter.AddRef();
    ++releaseObjectsHandedOut;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
    *out = nullptr;
    if (failEveryCall || direction != DATADIR_GET) {
        return failEveryCall ? E_FAIL : E_NOTIMPL;
    }
    std::vector<FORMATETC> formats;
    for (const Offer& offered : offers) {
        formats.push_back(FORMATETC{offered.format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    }
    return SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), out);
}

HRESULT STDMETHODCALLTYPE TestDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (out != nullptr) {
        out->ptd = nullptr;
    }
    return failure();
}

HRESULT STDMETHODCALLTYPE TestDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
    return failEveryCall ? E_FAIL : OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE TestDataObject::DUnadvise(DWORD) {
    return failEveryCall ? E_FAIL : OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE TestDataObject::EnumDAdvise(IEnumSTATDATA**) {
    return failEveryCall ? E_FAIL : OLE_E_ADVISENOTSUPPORTED;
}

// --- recording view ----------------------------------------------------------------

bool DropRecorder::acceptDrop(char** items, std::int32_t count, DropKind kind, Point& where) {
    OfferedDrop drop;
    drop.count = count;
    drop.kind = kind;
    drop.where = where;
    drop.list = items;
    const std::int32_t entries = kind == DropText ? 1 : count;
    for (std::int32_t i = 0; i < entries; ++i) {
        const std::size_t limit = kind == DropText ? static_cast<std::size_t>(count) : dropNameCapacity;
        drop.items.emplace_back(items[i], strnlen(items[i], limit));
        drop.itemAddresses.push_back(items[i]);
    }
    offered.push_back(drop);
    return takesDrops;
}

}  // namespace stipplewave::test
