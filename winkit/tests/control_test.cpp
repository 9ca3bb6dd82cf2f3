// Controls and their windows: creation (hidden, classes, ids, the window
// property), geometry, the routing of messages (events, handler chain,
// application control), closing, deferred frees and destruction order.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/error.h"
#include "kit_test_support.h"
#include "winkit/align.h"
#include "winkit/menu.h"
#include "winkit/paint_box.h"
#include "winkit/scroll_box.h"

namespace gleamkit::winkit {
namespace {

using testing::DestroyedNames;
using testing::KitTest;
using testing::NewTracked;
using testing::WatchDestroy;

constexpr UINT kTestMessage = WM_USER + 7;

class ControlTest : public KitTest {};

TEST_F(ControlTest, WindowIsMadeHiddenOnRequestAndBoundToItsControl) {
    Control* form = NewForm(nullptr, "Kit form");
    EXPECT_EQ(form->Handle(), nullptr);
    HWND window = form->WindowHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(form->WindowHandle(), window);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(form->CountsAsVisible()); // waiting to be shown
    EXPECT_EQ(GetPropA(window, "SELF_"), static_cast<HANDLE>(form));
    char caption[32] = {};
    GetWindowTextA(window, caption, sizeof(caption));
    EXPECT_STREQ(caption, "Kit form");

    WNDCLASSA formClass{};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "obj_Form", &formClass));
    EXPECT_EQ(formClass.lpfnWndProc, &KitWindowProc);
    EXPECT_EQ(formClass.style, CS_DBLCLKS);

    // The next step (Run's) shows it.
    ASSERT_TRUE(form->CreateWindowStep());
    EXPECT_TRUE(IsWindowVisible(window));
    Free(form);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(ControlTest, SystemBaseClassLendsItsProcedureAndIsRegisteredOnce) {
    Control* form = NewForm(nullptr, "Classes");
    Control* first = NewPaintBox(form);
    Control* second = NewPaintBox(form);
    ASSERT_NE(second->WindowHandle(), nullptr);
    ASSERT_NE(first->WindowHandle(), nullptr);

    WNDCLASSA systemStatic{};
    ASSERT_TRUE(GetClassInfoA(nullptr, "STATIC", &systemStatic));
    EXPECT_EQ(first->DefaultProcedure(), systemStatic.lpfnWndProc);
    EXPECT_EQ(second->DefaultProcedure(), systemStatic.lpfnWndProc);
    WNDCLASSA kitStatic{};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "obj_STATIC", &kitStatic));
    EXPECT_EQ(kitStatic.lpfnWndProc, &KitWindowProc);
    EXPECT_EQ(kitStatic.style & (CS_GLOBALCLASS | CS_OWNDC | CS_CLASSDC | CS_PARENTDC), 0u);
    // A kit-only base has no system procedure behind it.
    EXPECT_EQ(form->DefaultProcedure(), nullptr);
    Free(form);
}

TEST_F(ControlTest, ChildrenGetConsecutiveIdsAndStartInsideTheParentMargin) {
    Control* form = NewForm(nullptr, "Children");
    form->SetChildMargin(5);
    Control* first = NewChildControl(form, "Panel", WS_CHILD | WS_VISIBLE, Ctl3D::On, nullptr);
    Control* second = NewChildControl(form, "Panel", WS_CHILD, Ctl3D::Off, nullptr);
    EXPECT_EQ(second->ControlId(), first->ControlId() + 1);
    EXPECT_GE(first->ControlId(), 0x8000u);
    EXPECT_EQ(first->FullRect(), MakeRect(5, 5, 69, 69));
    EXPECT_EQ(first->ChildMargin(), 5);
    EXPECT_EQ(first->ExStyle() & WS_EX_CLIENTEDGE, WS_EX_CLIENTEDGE);
    EXPECT_EQ(first->Style() & WS_BORDER, 0u);
    EXPECT_EQ(second->ExStyle() & WS_EX_CLIENTEDGE, 0u);
    EXPECT_TRUE(first->IsVisible());
    EXPECT_FALSE(second->IsVisible());
    EXPECT_EQ(form->ChildCount(), 2);

    HWND window = first->WindowHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetParent(window), form->Handle());
    EXPECT_EQ(static_cast<UINT>(GetWindowLongPtrA(window, GWLP_ID)), first->ControlId());
    Free(form);
}

TEST_F(ControlTest, GeometryFollowsTheWindowInParentCoordinates) {
    Control* form = NewForm(nullptr, "Geometry");
    form->SetPosition(192, 110);
    form->SetClientSize(300, 200);
    EXPECT_EQ(form->ClientRect(), MakeRect(0, 0, 300, 200));
    RECT onScreen{};
    GetWindowRect(form->Handle(), &onScreen);
    EXPECT_EQ(onScreen.left, 192);
    EXPECT_EQ(onScreen.top, 110);

    // A value of 0 leaves that dimension alone.
    form->SetClientSize(0, 150);
    EXPECT_EQ(form->ClientRect(), MakeRect(0, 0, 300, 150));
    form->SetClientSize(250, 0);
    EXPECT_EQ(form->ClientRect(), MakeRect(0, 0, 250, 150));

    Control* child = NewChildControl(form, "Panel", WS_CHILD | WS_VISIBLE, Ctl3D::Off, nullptr);
    child->SetBounds(MakeRect(10, 20, 110, 70));
    child->WindowHandle();
    EXPECT_EQ(child->FullRect(), MakeRect(10, 20, 110, 70));
    child->SetPosition(30, 40);
    EXPECT_EQ(child->FullRect(), MakeRect(30, 40, 130, 90));
    child->SetSize(0, 10);
    EXPECT_EQ(child->FullRect(), MakeRect(30, 40, 130, 50));
    EXPECT_EQ(child->ClientRect(), MakeRect(0, 0, 100, 10));
    Free(form);
}

TEST_F(ControlTest, ClientAlignedChildFillsItsParentAndFollowsItsSize) {
    Control* form = NewForm(nullptr, "Align");
    form->SetChildMargin(0);
    form->SetClientSize(320, 200);
    Control* box = NewScrollingBox(form, ScrollEdge::Lowered);
    box->SetAlign(Align::Client);
    EXPECT_EQ(box->FullRect(), MakeRect(0, 0, 320, 200));
    form->SetClientSize(400, 260);
    EXPECT_EQ(box->FullRect(), MakeRect(0, 0, 400, 260));

    // With a margin the child keeps that much room on every side.
    form->SetChildMargin(4);
    Realign(*form);
    EXPECT_EQ(box->FullRect(), MakeRect(4, 4, 396, 256));
    // A hidden child takes no part.
    Control* top = NewChildControl(form, "Panel", WS_CHILD, Ctl3D::Off, nullptr);
    top->SetAlign(Align::Top);
    EXPECT_EQ(box->FullRect(), MakeRect(4, 4, 396, 256));
    top->SetVisible(true);
    EXPECT_EQ(top->FullRect(), MakeRect(4, 4, 396, 68));
    EXPECT_EQ(box->FullRect(), MakeRect(4, 72, 396, 256));
    Free(form);
}

std::vector<HWND> g_seenWindows;

void SeeWindow(void*, KitObject*, KitMessage& message, LRESULT&, bool&) {
    if (message.Message == kTestMessage) g_seenWindows.push_back(message.Window);
}

TEST_F(ControlTest, MessageForAWindowWithoutItsControlGoesToTheApplicationControl) {
    g_seenWindows.clear();
    Control* form = NewForm(nullptr, "Application");
    form->WindowHandle();
    form->OnMessage = {SeeWindow, nullptr};
    SetApplicationControl(form);

    HWND stranger = CreateWindowExA(0, "obj_Form", "stranger", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(stranger, nullptr);
    SendMessageA(stranger, kTestMessage, 0, 0);
    EXPECT_EQ(g_seenWindows, std::vector<HWND>{stranger});

    // A property naming a control that no longer exists is not followed.
    Control* gone = NewForm(nullptr, "Gone");
    Free(gone);
    SetPropA(stranger, "SELF_", gone);
    SendMessageA(stranger, kTestMessage, 0, 0);
    EXPECT_EQ(g_seenWindows.size(), 2u);

    // Its end does not take the application control with it.
    DestroyWindow(stranger);
    EXPECT_NE(form->Handle(), nullptr);
    EXPECT_TRUE(IsWindow(form->Handle()));
    SetApplicationControl(nullptr);
    Free(form);
}

struct CloseScript {
    int asked = 0;
    bool accept = false;
};

void AskClose(void* data, KitObject*, bool& accept) {
    auto* script = static_cast<CloseScript*>(data);
    ++script->asked;
    accept = script->accept;
}

TEST_F(ControlTest, RefusedCloseKeepsTheWindowWhileTheLoopRuns) {
    static CloseScript script;
    script = {};
    static Control* form;
    form = NewForm(nullptr, "Closing");
    form->OnClose = {AskClose, &script};
    WatchDestroy(form, "form");
    static HWND window;
    window = form->WindowHandle();

    headless::QueueIdleAction([] { form->Close(); });
    headless::QueueIdleAction([] {
        EXPECT_EQ(script.asked, 1);
        EXPECT_TRUE(IsWindow(window));
        EXPECT_FALSE(Terminated());
        script.accept = true;
        form->Close();
    });
    Control* main = form;
    winkit::Run(main);
    EXPECT_EQ(script.asked, 2);
    EXPECT_EQ(main, nullptr);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(DestroyedNames(), std::vector<std::string>{"form"});
}

TEST_F(ControlTest, RefusalIsNotHeardBeforeTheLoopRunsAndCloseAsksOnce) {
    CloseScript script;
    Control* form = NewForm(nullptr, "Early close");
    form->OnClose = {AskClose, &script};
    form->WindowHandle();

    form->SendToSelf(WM_CLOSE, 0, 0);
    EXPECT_EQ(script.asked, 1);
    ProcessMessages();
    EXPECT_TRUE(Terminated()); // the close went on: the quit message came
    form->SendToSelf(WM_CLOSE, 0, 0);
    EXPECT_EQ(script.asked, 1);
    Free(form);
}

bool FreeSelfOnTestMessage(Control& control, KitMessage& message, LRESULT& result) {
    if (message.Message != kTestMessage) return false;
    Free(&control);
    // Still here: the free waits for the handler chain to finish.
    EXPECT_TRUE(control.FreePending());
    EXPECT_TRUE(DestroyedNames().empty());
    result = 5;
    return false;
}

TEST_F(ControlTest, FreeInsideItsOwnHandlerIsDeferredUntilTheHandlerReturns) {
    Control* form = NewForm(nullptr, "Parent");
    Control* child = NewChildControl(form, "Panel", WS_CHILD | WS_VISIBLE, Ctl3D::Off, nullptr);
    WatchDestroy(child, "child");
    child->AttachHandler(FreeSelfOnTestMessage);
    HWND window = child->WindowHandle();

    // Not handled, but the control went: the message counts as handled.
    SendMessageA(window, kTestMessage, 0, 0);
    EXPECT_EQ(DestroyedNames(), std::vector<std::string>{"child"});
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(form->ChildCount(), 0);
    // Later messages for the window find nothing to touch.
    EXPECT_EQ(SendMessageA(window, kTestMessage, 0, 0), 0);
    Free(form);
}

void FreeSenderOnClick(void*, KitObject* sender) {
    Free(sender);
}

TEST_F(ControlTest, FreeInsideAnEventIsDeferredToo) {
    Control* form = NewForm(nullptr, "Parent");
    Control* child =
        NewChildControl(form, "Panel", WS_CHILD | WS_VISIBLE, Ctl3D::Off, &kLabelActions);
    WatchDestroy(child, "child");
    child->OnClick = {FreeSenderOnClick, nullptr};
    HWND childWindow = child->WindowHandle();
    form->SendToSelf(WM_COMMAND, MAKEWPARAM(child->ControlId(), 0),
                     reinterpret_cast<LPARAM>(childWindow));
    EXPECT_EQ(DestroyedNames(), std::vector<std::string>{"child"});
    EXPECT_EQ(form->ChildCount(), 0);

    Control* other = NewChildControl(form, "Panel", WS_CHILD, Ctl3D::Off, nullptr);
    other->OnMessage = {[](void*, KitObject* sender, KitMessage& message, LRESULT&, bool&) {
                            if (message.Message == kTestMessage) Free(sender);
                        },
                        nullptr};
    WatchDestroy(other, "other");
    other->SendToSelf(kTestMessage, 0, 0);
    EXPECT_EQ(DestroyedNames(), (std::vector<std::string>{"child", "other"}));
    Free(form);
}

void ExitOnChoice(void* data, KitObject*, int32_t) {
    static_cast<Control*>(data)->Close();
}

TEST_F(ControlTest, ClosingTheMainFormEndsRunAndFreesEverythingInOrder) {
    static Control* form;
    form = NewForm(nullptr, "Main");
    WatchDestroy(form, "form");
    AddOwned(form, NewTracked("record"));
    AddOwned(form, NewTracked("dialog"));
    const char* const strings[] = {"File", "(", "Exit", ")", ""};
    Menu* menu = NewMenu(form, strings, {ExitOnChoice, form});
    WatchDestroy(menu, "menu");
    Control* box = NewScrollingBox(form, ScrollEdge::Lowered);
    WatchDestroy(box, "box");
    WatchDestroy(NewPaintBox(box), "paint");
    WatchDestroy(NewChildControl(form, "Panel", WS_CHILD | WS_VISIBLE, Ctl3D::Off, nullptr),
                 "panel");
    form->WindowHandle();

    headless::QueueIdleAction([] {
        EXPECT_TRUE(LoopRunning());
        EXPECT_EQ(ApplicationControl(), form);
        EXPECT_TRUE(IsWindowVisible(form->Handle()));
        EXPECT_TRUE(headless::PickMenuItem(form->Handle(), {"File", "Exit"}));
    });
    Control* main = form;
    winkit::Run(main);

    EXPECT_EQ(main, nullptr);
    EXPECT_TRUE(Terminated());
    EXPECT_FALSE(LoopRunning());
    EXPECT_EQ(ApplicationControl(), nullptr);
    EXPECT_EQ(DestroyedNames(), (std::vector<std::string>{"form", "dialog", "record", "panel",
                                                          "box", "paint", "menu"}));
}

void Throw(void*, KitObject*, int32_t) {
    throw Error("Source bitmap too small");
}

TEST_F(ControlTest, ExceptionFromAHandlerLeavesTheLoopAfterThePlatformReturned) {
    static Control* form;
    form = NewForm(nullptr, "Failing");
    const char* const strings[] = {"Go", ""};
    NewMenu(form, strings, {Throw, nullptr});
    form->WindowHandle();
    headless::QueueIdleAction([] { headless::PickMenuItem(form->Handle(), {"Go"}); });
    Control* main = form;
    try {
        winkit::Run(main);
        ADD_FAILURE() << "Run returned";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Source bitmap too small");
    }
    // The loop was left as it stood; the program's handler would end here.
    EXPECT_EQ(main, form);
    EXPECT_TRUE(LoopRunning());
    Terminate(main);
    EXPECT_EQ(main, nullptr);
}

TEST_F(ControlTest, EndOfSessionWithoutTheEndFlagChangesNothing) {
    Control* form = NewForm(nullptr, "Session");
    form->WindowHandle();
    SetApplicationControl(form);
    form->SendToSelf(WM_ENDSESSION, 0, 0);
    EXPECT_FALSE(Terminated());
    EXPECT_EQ(ApplicationControl(), form);
    SetApplicationControl(nullptr);
    Free(form);
}

void ReportFreed(void*, KitObject*) {
    std::fputs("application freed\n", stderr);
}

void EndSession() {
    Control* form = NewForm(nullptr, "Session");
    form->OnDestroy = {ReportFreed, nullptr};
    form->WindowHandle();
    SetApplicationControl(form);
    form->SendToSelf(WM_ENDSESSION, 1, 0);
    std::exit(3);
}

TEST_F(ControlTest, EndOfSessionFreesTheApplicationAndEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(EndSession(), ::testing::ExitedWithCode(0), "application freed");
}

} // namespace
} // namespace gleamkit::winkit
