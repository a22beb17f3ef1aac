// The OLE drop target and its registration. Threading: see DropTarget.h.
#include "toolkit/DropTarget.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "toolkit/win32/Win32Windows.h"

namespace stipplewave {

namespace {

constexpr DWORD controlKey = MK_CONTROL;
// No dialog, any match, and at most 500 ms of searching (upper 16 bits).
constexpr DWORD shortcutResolveFlags = 0x01F40003;
constexpr UINT fileCountQuery = 0xFFFFFFFF;

FORMATETC globalFormat(CLIPFORMAT format) { return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool offers(IDataObject& data, CLIPFORMAT format) {
    FORMATETC wanted = globalFormat(format);
    return data.QueryGetData(&wanted) == S_OK;
}

// The data as a global memory block. A medium of any other kind is given
// back at once and counts as a failure: its handle is not a memory block.
bool fetchGlobal(IDataObject& data, CLIPFORMAT format, STGMEDIUM& medium) {
    FORMATETC wanted = globalFormat(format);
    medium = STGMEDIUM{};
    if (FAILED(data.GetData(&wanted, &medium))) {
        return false;
    }
    if (medium.tymed != TYMED_HGLOBAL) {
        ReleaseStgMedium(&medium);
        return false;
    }
    return true;
}

std::int32_t clampedCount(SIZE_T size) {
    constexpr auto largest = static_cast<SIZE_T>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(size < largest ? size : largest);
}

// Whether the file list in a DROPFILES block ends inside the block: the
// name list reader walks names until two terminators in a row and would
// otherwise read past the block of a malformed (or empty) drop.
bool fileListEndsInside(HGLOBAL block) {
    const SIZE_T size = GlobalSize(block);
    const auto* bytes = static_cast<const unsigned char*>(GlobalLock(block));
    if (bytes == nullptr) {
        return false;
    }
    bool ends = false;
    if (size >= sizeof(DROPFILES)) {
        DROPFILES header;
        std::memcpy(&header, bytes, sizeof header);
        const SIZE_T unit = header.fWide ? 2 : 1;
        SIZE_T at = header.pFiles;
        bool previousWasTerminator = false;
        for (; at + unit <= size && !ends; at += unit) {
            const bool terminator = bytes[at] == 0 && (unit == 1 || bytes[at + 1] == 0);
            ends = terminator && previousWasTerminator;
            previousWasTerminator = terminator;
        }
    }
    GlobalUnlock(block);
    return ends;
}

bool endsInShortcutExtension(const char* name) {
    const char* dot = std::strrchr(name, '.');
    return dot != nullptr && lstrcmpiA(dot, ".lnk") == 0;
}

// The target's path of the shortcut loaded into `link`, into `path`
// (dropNameCapacity characters); false when it has none.
bool shortcutTarget(IShellLinkA& link, IPersistFile& file, const char* name, char* path) {
    wchar_t wideName[shortcutWideCapacity];
    if (MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, static_cast<int>(shortcutWideCapacity)) == 0) {
        return false;
    }
    if (FAILED(file.Load(wideName, STGM_READ)) || FAILED(link.Resolve(nullptr, shortcutResolveFlags))) {
        return false;
    }
    WIN32_FIND_DATAA found{};
    path[0] = '\0';
    // S_FALSE means the link has no path: the buffer then holds nothing.
    const HRESULT result = link.GetPath(path, static_cast<int>(dropNameCapacity), &found, SLGP_SHORTPATH);
    path[dropNameCapacity - 1] = '\0';
    return result == S_OK && path[0] != '\0';
}

}  // namespace

DropTarget::DropTarget(Frame* owner) : frame(owner) {}

DropTarget::~DropTarget() = default;

HRESULT STDMETHODCALLTYPE DropTarget::QueryInterface(REFIID id, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(id, IID_IDropTarget) || IsEqualIID(id, IID_IUnknown)) {
        *out = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DropTarget::AddRef() { return static_cast<ULONG>(++referenceCount); }

ULONG STDMETHODCALLTYPE DropTarget::Release() {
    const std::int32_t remaining = --referenceCount;
    if (remaining <= 0) {
        delete this;
    }
    return static_cast<ULONG>(remaining);
}

HRESULT STDMETHODCALLTYPE DropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    acceptsData = data != nullptr && (offers(*data, CF_TEXT) || offers(*data, CF_HDROP));
    return DragOver(keyState, point, effect);
}

HRESULT STDMETHODCALLTYPE DropTarget::DragOver(DWORD keyState, POINTL, DWORD* effect) {
    if (effect == nullptr) {
        return E_INVALIDARG;
    }
    if (!acceptsData) {
        *effect = DROPEFFECT_NONE;
    } else {
        *effect = (keyState & controlKey) != 0 ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragLeave() { return S_OK; }

HRESULT STDMETHODCALLTYPE DropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD*) {
    if (frame == nullptr || data == nullptr) {
        return S_OK;
    }
    STGMEDIUM medium{};
    if (fetchGlobal(*data, CF_TEXT, medium)) {
        if (medium.hGlobal != nullptr) {
            deliverText(medium.hGlobal);
        }
    } else if (fetchGlobal(*data, CF_HDROP, medium)) {
        if (medium.hGlobal != nullptr) {
            deliverFileNames(medium.hGlobal);
        }
    } else {
        return S_OK;
    }
    // Through the medium's release object when it has one, else the block
    // is freed.
    ReleaseStgMedium(&medium);
    return S_OK;
}

void DropTarget::deliverText(HGLOBAL block) {
    const SIZE_T size = GlobalSize(block);
    auto* text = static_cast<char*>(GlobalLock(block));
    if (text == nullptr) {
        return;
    }
    if (size != 0) {
        if (std::memchr(text, 0, size) != nullptr) {
            char* items[1] = {text};
            deliver(items, clampedCount(size), DropText);
        } else {
            // A receiver reads the text up to its terminator: a block that
            // has none is delivered as a terminated copy one byte longer.
            std::unique_ptr<char[]> copy(new (std::nothrow) char[size + 1]);
            if (copy != nullptr) {
                std::memcpy(copy.get(), text, size);
                copy[size] = '\0';
                char* items[1] = {copy.get()};
                deliver(items, clampedCount(size + 1), DropText);
            }
        }
    }
    GlobalUnlock(block);
}

void DropTarget::deliverFileNames(HGLOBAL block) {
    if (!fileListEndsInside(block)) {
        return;
    }
    const auto list = static_cast<HDROP>(block);
    const UINT listed = DragQueryFileA(list, fileCountQuery, nullptr, 0);
    if (listed == 0) {
        return;
    }
    std::unique_ptr<char*[]> names(new (std::nothrow) char*[listed]);
    if (names == nullptr) {
        return;
    }
    std::int32_t appended = 0;
    char name[dropNameCapacity];
    for (UINT index = 0; index < listed; ++index) {
        if (DragQueryFileA(list, index, name, static_cast<UINT>(dropNameCapacity)) == 0) {
            continue;
        }
        name[dropNameCapacity - 1] = '\0';
        resolveShortcut(name);
        char* copy = new (std::nothrow) char[dropNameCapacity];
        if (copy == nullptr) {
            continue;
        }
        std::memcpy(copy, name, std::strlen(name) + 1);
        names[appended++] = copy;
    }
    if (appended > 0) {
        deliver(names.get(), appended, DropFileNames);
    }
    for (std::int32_t i = 0; i < appended; ++i) {
        delete[] names[i];
    }
}

void DropTarget::deliver(char** items, std::int32_t count, DropKind kind) {
    Point where;
    frame->currentMousePosition(where);
    frame->acceptDrop(items, count, kind, where);
}

void resolveShortcut(char* name) {
    if (!endsInShortcutExtension(name)) {
        return;
    }
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))) ||
        link == nullptr) {
        return;
    }
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) || file == nullptr) {
        link->Release();
        return;
    }
    // Resolved into a buffer of its own: a failed lookup leaves the name.
    char target[dropNameCapacity];
    if (shortcutTarget(*link, *file, name, target)) {
        std::memcpy(name, target, std::strlen(target) + 1);
    }
    file->Release();
    link->Release();
}

// --- registration --------------------------------------------------------------

namespace win32 {

namespace {

HWND windowHandle(platform::ChildWindow& window) {
    auto* own = dynamic_cast<Win32ChildWindow*>(&window);
    return own != nullptr ? static_cast<HWND>(own->nativeHandle()) : nullptr;
}

}  // namespace

void Win32DropRegistrar::registerDropTarget(Frame& frame, platform::ChildWindow& window) {
    const HWND handle = windowHandle(window);
    if (handle == nullptr) {
        return;
    }
    DropTarget* target = makeDropTarget(frame);
    if (target == nullptr) {
        return;
    }
    // Held across the registration, so that a refused one (OLE not
    // initialised, a window already registered) destroys the target.
    target->AddRef();
    RegisterDragDrop(handle, target);
    target->Release();
}

void Win32DropRegistrar::revokeDropTarget(platform::ChildWindow& window) {
    const HWND handle = windowHandle(window);
    if (handle != nullptr) {
        RevokeDragDrop(handle);
    }
}

DropTarget* Win32DropRegistrar::makeDropTarget(Frame& frame) { return new (std::nothrow) DropTarget(&frame); }

Win32DropRegistrar& sharedDropRegistrar() {
    static Win32DropRegistrar registrar;
    return registrar;
}

}  // namespace win32

DropRegistrar* defaultDropRegistrar() { return &win32::sharedDropRegistrar(); }

}  // namespace stipplewave
