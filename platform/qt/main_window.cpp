// The window on Qt. The canvas widget is exactly the canvas's size inside a
// scroll area, so widget coordinates are canvas coordinates.
#include "platform/qt/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <QSocketNotifier>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

#include "platform/qt/window_access.h"
#include "program/app_state.h"
#include "ui/framework/draw.h"
#include "ui/framework/panel.h"

namespace qz {

const char* const WINDOW_TITLE = "QZSEQ  Ver1.08     ";

namespace {

#if !defined(_WIN32)
// Other threads wake the UI frame with a byte down this pipe; the event loop
// watches its read end. Made once and never closed: the engine and input
// threads may still call the door while the window goes away.
int* wakePipe() {
    static int fds[2] = {-1, -1};
    static const bool made = [] {
        if (pipe(fds) != 0) return false;
        for (int fd : fds) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
            fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        return true;
    }();
    return made ? fds : nullptr;
}

// The door: one write, which neither allocates nor blocks (a full pipe is
// already readable).
void writeWakeByte(void* ctx) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(*static_cast<int*>(ctx), &byte, 1);
}
#endif

class CanvasWidget : public QWidget {
public:
    CanvasWidget(AppState& app, DrawContext& dc) : app_(app), dc_(dc) {
        setFixedSize(dc.width, dc.height);
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    // Called after each input event handled (the window's frame wakes).
    std::function<void()> afterInput;

protected:
    void paintEvent(QPaintEvent* e) override {
        if (!painted_) {
            painted_ = true;
            startupStep("first paint");
        }
        // The canvas's own pixels, shown without a copy.
        QImage img(reinterpret_cast<const uchar*>(dc_.pixels.data()), dc_.width, dc_.height, dc_.width * 4,
                   QImage::Format_RGB32);
        QPainter p(this);
        p.drawImage(e->rect(), img, e->rect());
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        QPoint pt = e->position().toPoint();
        onMouseMove(app_, clampX(pt.x()), clampY(pt.y()));
        // The pointer's shape: the panel under it sets it (answer 0), else
        // the arrow; near the client area's bottom edge the default stays.
        if (!(e->buttons() & (Qt::LeftButton | Qt::RightButton)) &&
            app_.ui->clientHeight - (app_.ui->mouseY - app_.ui->scrollY) >= 2 && dispatch(app_, PM_CURSOR, 0) != 0)
            setCursor(Qt::ArrowCursor);
        handled();
    }
    void mousePressEvent(QMouseEvent* e) override {
        QPoint pt = e->position().toPoint();
        int32_t x = clampX(pt.x()), y = clampY(pt.y());
        switch (e->button()) {
            case Qt::LeftButton: onLeftDown(app_, x, y); break;
            case Qt::RightButton: onRightDown(app_, x, y); break;
            case Qt::MiddleButton: onMiddleDown(app_); break;
            default: break;
        }
        handled();
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        switch (e->button()) {
            case Qt::LeftButton: onLeftUp(app_); break;
            case Qt::RightButton: onRightUp(app_); break;
            case Qt::MiddleButton: onMiddleUp(app_); break;
            default: break;
        }
        handled();
    }
    void wheelEvent(QWheelEvent* e) override {
        int dy = e->angleDelta().y();
        if (dy == 0) return;
        onWheel(app_, dy > 0);
        e->accept();
        handled();
    }
    void keyPressEvent(QKeyEvent* e) override {
        int k = e->key();
        if (k >= Qt::Key_0 && k <= Qt::Key_9) {
            onKey(app_, uint32_t(k - Qt::Key_0));
        } else if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            onKey(app_, KEY_ENTER);
        } else if (k == Qt::Key_Backspace || k == Qt::Key_Delete) {
            onKey(app_, KEY_BACK);
        } else if (k == Qt::Key_Left || k == Qt::Key_Right || k == Qt::Key_Up || k == Qt::Key_Down ||
                   k == Qt::Key_PageUp || k == Qt::Key_PageDown || k == Qt::Key_Home || k == Qt::Key_End) {
            // The canvas has no use for these, and the scroll area around it
            // must not take them to scroll the view.
            e->accept();
            return;
        } else {
            QWidget::keyPressEvent(e);
            return;
        }
        handled();
    }

private:
    void handled() {
        update();
        if (afterInput) afterInput();
    }
    // While the mouse is grabbed the pointer can leave the canvas: positions
    // left of or above it count as 0.
    static int32_t clampX(int x) { return x < 0 ? 0 : x; }
    static int32_t clampY(int y) { return y < 0 ? 0 : y; }

    AppState& app_;
    DrawContext& dc_;
    bool painted_ = false;
};

class MainWindow : public QMainWindow {
public:
    MainWindow(AppState& app, DrawContext& dc, const WindowHooks& hooks) : app_(app), hooks_(hooks) {
        setWindowTitle(QString::fromLatin1(WINDOW_TITLE));
        setAcceptDrops(true);
        buildMenu();
        canvas_ = new CanvasWidget(app, dc);
        canvas_->afterInput = [this] { wakeFrame(); };
        scroll_ = new QScrollArea(this);
        scroll_->setWidget(canvas_);
        scroll_->setWidgetResizable(false);
        scroll_->setFrameShape(QFrame::NoFrame);
        // The canvas takes the keys from the start: typed digits reach the
        // field under the pointer before any click.
        scroll_->setFocusPolicy(Qt::NoFocus);
        scroll_->setFocusProxy(canvas_);
        scroll_->horizontalScrollBar()->setSingleStep(10);
        scroll_->verticalScrollBar()->setSingleStep(10);
        connect(scroll_->horizontalScrollBar(), &QScrollBar::valueChanged, this,
                [this](int v) { app_.ui->scrollX = v; });
        connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) { app_.ui->scrollY = v; });
        setCentralWidget(scroll_);
        canvas_->setFocus(Qt::OtherFocusReason);
        timer_ = new QTimer(this);
        timer_->setTimerType(Qt::PreciseTimer);
        connect(timer_, &QTimer::timeout, this, [this] {
            // A modal box, dialog or menu runs its own loop on this thread;
            // the frame waits for it instead of running inside it.
            if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) return;
            // Nothing due: the timer stops until an event or a wake. Without
            // a wake door it keeps running.
            if (hooks_.timer && !hooks_.timer(hooks_.user) && wake_.wake) timer_->stop();
        });
#if !defined(_WIN32)
        if (int* fds = wakePipe()) {
            wake_ = WindowWake{&fds[1], writeWakeByte};
            auto* notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, this);
            connect(notifier, &QSocketNotifier::activated, this, [this, fd = fds[0]] {
                char bytes[64];
                while (read(fd, bytes, sizeof bytes) > 0) {
                }
                wakeFrame();
            });
        }
#endif
        timer_->start(2);
    }

    // The door other threads wake the frame through (empty without one).
    WindowWake wakeDoor() const { return wake_; }
    // Run the UI frame again from the next 2 ms on (window thread).
    void wakeFrame() {
        app_.engine.windowAsleep.store(false, std::memory_order_seq_cst);
        if (!timer_->isActive()) timer_->start(2);
    }

    void present() { canvas_->update(); }
    QWidget* canvas() { return canvas_; }
    QWidget* clientArea() { return scroll_->viewport(); }

protected:
    void closeEvent(QCloseEvent* e) override {
        if (hooks_.closeRequested && !hooks_.closeRequested(hooks_.user)) {
            e->ignore();
            return;
        }
        timer_->stop();
        e->accept();
    }
    void resizeEvent(QResizeEvent* e) override {
        QMainWindow::resizeEvent(e);
        app_.ui->clientWidth = scroll_->viewport()->width();
        app_.ui->clientHeight = scroll_->viewport()->height();
    }
    void dragEnterEvent(QDragEnterEvent* e) override {
        if (e->mimeData()->hasUrls()) e->acceptProposedAction();
    }
    void dropEvent(QDropEvent* e) override {
        std::vector<std::string> paths;
        for (const QUrl& url : e->mimeData()->urls())
            if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
        e->acceptProposedAction();
        if (hooks_.drop && !paths.empty()) hooks_.drop(hooks_.user, paths);
        present();
        wakeFrame();
    }

private:
    void addCommand(QMenu* menu, const char* text, int id) {
        QAction* a = menu->addAction(QString::fromLatin1(text));
        connect(a, &QAction::triggered, this, [this, id] { command(id); });
    }
    void command(int id) {
        if (hooks_.menu) hooks_.menu(hooks_.user, id);
        present();
        wakeFrame();
    }
    void buildMenu() {
        QMenu* file = menuBar()->addMenu(QStringLiteral("File(&F)"));
        addCommand(file, "Load", 101);
        file->addSeparator();
        addCommand(file, "Load Folder", 102);
        file->addSeparator();
        addCommand(file, "Save a Sequence", 104);
        file->addSeparator();
        addCommand(file, "Cancel", 107);
        file->addSeparator();
        addCommand(file, "Exit(&X)", 108);
        QAction* mtb = menuBar()->addAction(QStringLiteral("MIDI to button"));
        connect(mtb, &QAction::triggered, this, [this] { command(110); });
    }

    AppState& app_;
    WindowHooks hooks_;
    CanvasWidget* canvas_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QTimer* timer_ = nullptr;
    WindowWake wake_{};
};

MainWindow* theWindow = nullptr;

}  // namespace

void primaryScreenSize(int& width, int& height) {
    QScreen* s = QGuiApplication::primaryScreen();
    QSize size = s ? s->size() : QSize(1735, 700);
    width = size.width();
    height = size.height();
}

int runMainWindow(AppState& app, DrawContext& dc, const WindowHooks& hooks, int width, int height) {
    MainWindow w(app, dc, hooks);
    theWindow = &w;
    // Before the engine and input threads exist (they start in `created`).
    app.engine.windowWake = w.wakeDoor();
    startupStep("window made");
    if (hooks.created) hooks.created(hooks.user);
    w.move(0, 0);
    w.resize(width, height);
    w.show();
    int rc = QApplication::exec();
    theWindow = nullptr;
    return rc;
}

void presentCanvas() {
    if (theWindow) theWindow->present();
}

void requestWindowClose() {
    if (theWindow) theWindow->close();
}

void callLater(int ms, void (*fn)(void* user), void* user) {
    QTimer::singleShot(ms, [fn, user] { fn(user); });
}

QWidget* mainWindowWidget() { return theWindow; }
QWidget* canvasWidget() { return theWindow ? theWindow->canvas() : nullptr; }
QWidget* clientAreaWidget() { return theWindow ? theWindow->clientArea() : nullptr; }

}  // namespace qz
