// The file drop target: what connects the platform's drag-and-drop service
// to a `Frame`. While the user drags text or a list of files over the
// editor's window it answers copy or move feedback, and on a drop it hands
// the frame the text or the file names (with every shell shortcut among
// them replaced by the path it points to) and the cursor position.
//
// Windows: `DropTarget` is the OLE object registered for the frame's window
// by `Win32DropRegistrar`, the registrar frames start with there. Linux has
// no drop target: frames keep their drop state without registering
// anything (drags between X11 clients would need the XDND protocol, which
// the toolkit does not speak).
//
// Threading: OLE calls a registered target on the thread that registered
// it, the user-interface thread, which initialised OLE for the editor
// first; the reference count is a plain integer of that thread.
#pragma once

#include "toolkit/Frame.h"

#if defined(_WIN32)

#include <ole2.h>

#include <cstddef>
#include <cstdint>

namespace stipplewave {

// Characters of a file name buffer, terminator included; every delivered
// name has a block of this size of its own.
constexpr std::size_t dropNameCapacity = 1024;
// Wide characters of the buffer a shortcut's name is converted into.
constexpr std::size_t shortcutWideCapacity = 2048;

class DropTarget : public IDropTarget {
public:
    // Starts with no reference: the registration takes the first one.
    explicit DropTarget(Frame* frame);
    DropTarget(const DropTarget&) = delete;
    DropTarget& operator=(const DropTarget&) = delete;

    // This object for IID_IDropTarget and IID_IUnknown; null and
    // E_NOINTERFACE for any other interface.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    // Destroys the target when the count falls to zero or below.
    ULONG STDMETHODCALLTYPE Release() override;
    // Remembers whether the drag offers text or files, then answers as
    // DragOver does.
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    // No drop for anything else; copy with Control held, else move.
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    // Delivers the text (preferred) or the file names to the frame at the
    // cursor; always S_OK, and the effect is left as the platform passed it.
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

    std::int32_t getReferenceCount() const { return referenceCount; }
    bool getAcceptsData() const { return acceptsData; }
    Frame* getFrame() const { return frame; }

protected:
    // Only the last Release destroys a target.
    virtual ~DropTarget();

private:
    void deliverText(HGLOBAL block);
    void deliverFileNames(HGLOBAL block);
    void deliver(char** items, std::int32_t count, DropKind kind);

    std::int32_t referenceCount = 0;
    bool acceptsData = false;
    Frame* frame;
};

// Replaces a name whose last "." starts ".lnk" (in any case) with the
// path of that shell shortcut's target, in place; `name` is a buffer of
// dropNameCapacity characters. Any other name, and a shortcut that cannot
// be loaded or resolved, stays as it is.
void resolveShortcut(char* name);

namespace win32 {

// Registers a new DropTarget for the window of a frame with OLE, which then
// holds the target, and revokes it again. Only the Windows child windows
// are registered: other window systems' windows have no HWND.
class Win32DropRegistrar : public DropRegistrar {
public:
    void registerDropTarget(Frame& frame, platform::ChildWindow& window) override;
    void revokeDropTarget(platform::ChildWindow& window) override;

protected:
    // The target for a frame, with no reference yet.
    virtual DropTarget* makeDropTarget(Frame& frame);
};

Win32DropRegistrar& sharedDropRegistrar();

}  // namespace win32

}  // namespace stipplewave

#endif
