// Views and the frame window: `View`, the reference-counted base of
// everything the editor shows, and `Frame`, the top view that owns the
// editor's child window inside the host's window, the ordered list of child
// views and the background picture. The frame turns the window's paint
// requests into full draws, its button presses into `mouse` calls on the
// topmost view under the pointer, and the editor's idle calls into update
// passes that redraw only the views whose state changed.
//
// Threading: everything here runs on the host's user-interface thread (the
// window's events and the editor's open, idle and close all arrive there).
// Reference counts and the view list are plain data. Calls nest: a control
// that tracks the mouse inside `mouse` lets the editor's idle processing run,
// which may paint this frame and run its idle on contexts of their own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/Platform.h"
#include "toolkit/Types.h"

namespace stipplewave {

class Bitmap;
class DrawContext;
class Frame;
class GuiEditor;

// What a drop delivers: a list of file names, or one text.
enum DropKind : std::int32_t { DropFileNames = 0, DropText = 1 };

// The name of the frame windows' class for a module instance handle:
// "Plugin" and the handle's low 32 bits as 8 lower-case hexadecimal digits.
std::string frameClassName(std::uintptr_t moduleInstance);

class View {
public:
    // The creator holds the first reference.
    explicit View(const Rect& size);
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    virtual ~View();
    virtual void draw(DrawContext& context);
    // `where` is in frame coordinates; a view that tracks the mouse may
    // overwrite it as the pointer moves.
    virtual void mouse(DrawContext& context, Point& where);
    // Redraws the view when it is dirty, and marks it clean.
    virtual void update(DrawContext& context);
    // Offered dropped data under `where`; true when the view takes it.
    virtual bool acceptDrop(char** items, std::int32_t count, DropKind kind, Point& where);
    virtual bool isDirty() const;
    virtual void setDirty(bool on);
    virtual void setMouseEnabled(bool on);
    virtual bool isMouseEnabled() const;
    virtual void setTransparent(bool on);
    virtual bool isTransparent() const;
    // Drops one reference and deletes the view at the last; a count that is
    // already 0 or less is left alone.
    virtual void release();
    virtual void retain();

    const Rect& getSize() const { return size; }
    Frame* getParentFrame() const { return parentFrame; }
    std::int32_t getRefCount() const { return refCount; }

protected:
    std::int32_t refCount = 1;
    Rect size;
    Frame* parentFrame = nullptr;
    bool dirty = true;
    bool mouseEnabled = true;
    bool transparent = false;

private:
    friend class Frame;
};

// Registers a frame's window for drag-and-drop and revokes it again. The
// platform's registration holds the drop target; the frame keeps none.
class DropRegistrar {
public:
    virtual ~DropRegistrar() = default;
    virtual void registerDropTarget(Frame& frame, platform::ChildWindow& window) = 0;
    virtual void revokeDropTarget(platform::ChildWindow& window) = 0;
};

// The registrar frames use; without one the frame keeps its drop state
// without registering anything. Returns the previous.
DropRegistrar* setDropRegistrar(DropRegistrar* registrar);
DropRegistrar* dropRegistrar();
// The registrar in use until another is installed: OLE's registration of a
// DropTarget (toolkit/DropTarget.h) on Windows, none elsewhere.
DropRegistrar* defaultDropRegistrar();

class Frame : public View, public platform::WindowListener {
public:
    // Makes the frame's child window in `parentWindow` when there is a
    // parent and a window system; otherwise the frame has no window.
    Frame(const Rect& size, void* parentWindow, GuiEditor* editor);
    // Revokes the drop registration, releases the views still listed and
    // the background, then destroys the window (which stops its reports).
    ~Frame() override;

    // Full draw: the background, then every view in list order; each view's
    // dirty state is the same afterwards as before.
    void draw(DrawContext& context) override;
    // Gives the press to the topmost mouse-enabled view that contains it.
    void mouse(DrawContext& context, Point& where) override;
    // A full draw while the frame itself is dirty, else the dirty views.
    void update(DrawContext& context) override;
    bool acceptDrop(char** items, std::int32_t count, DropKind kind, Point& where) override;

    // Appends the view on top; the creator's reference passes to the list.
    // False, with the list unchanged, when the list cannot grow.
    virtual bool addView(View* view);
    virtual bool removeView(View* view, bool releaseIt);
    virtual bool removeAllViews(bool releaseIt);

    // Retains the new background (may be null) and releases the old one.
    void setBackground(Bitmap* bitmap);
    Bitmap* getBackground() const { return background; }
    // An update pass on the window's surface, once the window has been
    // painted and while it exists.
    void idle();
    // The host's begin-edit and end-edit brackets, through the editor's
    // effect; nothing (false) without an editor or an effect that has them.
    void beginEdit(std::int32_t index);
    bool endEdit(std::int32_t index);
    // The cursor relative to the window's top-left corner (to the screen's
    // without a window).
    bool currentMousePosition(Point& out) const;
    GuiEditor* getEditor() const { return editor; }
    // Registers (on) or revokes (off) the window's drop target. False when
    // a registration is asked for without a window.
    bool setDropActive(bool on);
    // Makes the frame's child window; false without a parent, without a
    // window system, when the frame already has a window, or when the
    // platform makes none.
    bool createWindow(void* parent);

    void* getParentWindow() const { return parentWindow; }
    platform::ChildWindow* getWindow() const { return window.get(); }
    bool isWindowOpen() const { return windowOpen; }
    bool isFirstDrawPending() const { return firstDrawPending; }
    bool isDropActive() const { return dropActive; }
    std::int32_t getViewCount() const { return viewCount; }
    std::int32_t getViewCapacity() const { return viewCapacity; }
    // The view at a list position (0 is drawn first); null out of range.
    View* getView(std::int32_t index) const;

    // The child window's reports.
    void windowPaint(platform::Window& window, platform::Surface& surface) override;
    void windowButtonDown(platform::Window& window, Point where) override;
    // The window went away from outside: its drop registration is revoked
    // and the frame stops drawing; it waits for its deletion.
    void windowDestroyed(platform::Window& window) override;

    // How many entries the view list grows by when it is full.
    static constexpr std::int32_t viewCapacityStep = 10;

private:
    bool growViewList();

    GuiEditor* editor;
    void* parentWindow;
    Bitmap* background = nullptr;
    View** views = nullptr;
    std::int32_t viewCount = 0;
    std::int32_t viewCapacity = 0;
    bool firstDrawPending = true;
    bool windowOpen = true;
    bool dropActive = false;
    std::unique_ptr<platform::ChildWindow> window;
};

}  // namespace stipplewave
