#include "platform/EventPass.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

#include <atomic>
#include <string>
#include <string_view>

#if defined(__linux__)
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace tarvik {

namespace {

// One pass of event processing without the one system call that a pass on glib makes for nothing.
//
// A pass that must not block still asks the kernel (poll) about the descriptors of glib's main
// context. On Linux, with neither socket notifiers nor another library's sources, the only one is
// glib's own wakeup descriptor, which merely ends a blocked poll early: no source is dispatched for
// it, and every source of the toolkit (posted events, timers, the window system's events) is found
// ready without asking the kernel. Under "Change The Lot" a pass is made for every match and that
// poll is most of its cost, so the main context's poll function is wrapped: inside Pass, a poll
// that may not wait and watches the wakeup descriptor alone returns "nothing ready" at once. Every
// other poll, and every pass elsewhere, goes to glib's own function unchanged.
class QuietPoll {
public:
    // Wraps the poll function of the main thread's glib context, once; nothing where the event
    // dispatcher doesn't run on glib.
    static void Install();
    // Processes the pending events once, without blocking.
    static void Pass() {
        const bool outer = Quiet.exchange(Real != nullptr, std::memory_order_relaxed);
        QCoreApplication::processEvents();
        Quiet.store(outer, std::memory_order_relaxed);
    }

private:
    // glib's GPollFD and GPollFunc on Unix.
    struct PollFd {
        int fd;
        unsigned short events;
        unsigned short revents;
    };
    using PollFunc = int (*)(PollFd*, unsigned int, int);

    static int Poll(PollFd* fds, unsigned int count, int timeout) {
        if (timeout == 0 && count == 1 && Quiet.load(std::memory_order_relaxed) &&
            IsWakeup(fds[0].fd)) {
            fds[0].revents = 0;
            return 0;
        }
        return Real(fds, count, timeout);
    }

    // glib's wakeup descriptor is an eventfd that lives as long as the context: the first eventfd
    // polled alone is taken as it.
    static bool IsWakeup(int fd) {
        const int known = WakeupFd.load(std::memory_order_relaxed);
        if (known >= 0)
            return fd == known;
#if defined(__linux__)
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        char target[64] = {};
        const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
        if (length > 0 &&
            std::string_view(target, static_cast<std::size_t>(length)) == "anon_inode:[eventfd]") {
            WakeupFd.store(fd, std::memory_order_relaxed);
            return true;
        }
#endif
        return false;
    }

    template <typename Function> static Function Symbol(const char* name) {
#if defined(__linux__)
        void* address = ::dlsym(RTLD_DEFAULT, name);
        return reinterpret_cast<Function>(address);
#else
        Q_UNUSED(name);
        return nullptr;
#endif
    }

    static inline PollFunc Real = nullptr;         // set once, before the wrapper is installed
    static inline std::atomic<bool> Quiet = false; // a Pass is under way
    static inline std::atomic<int> WakeupFd = -1;  // learnt at the first quiet poll
};

void QuietPoll::Install() {
    static bool tried = false;
    if (tried)
        return;
    tried = true;
    const QAbstractEventDispatcher* dispatcher =
        QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread());
    if (!dispatcher || !dispatcher->inherits("QEventDispatcherGlib"))
        return;
    const auto defaultContext = Symbol<void* (*)()>("g_main_context_default");
    const auto getPoll = Symbol<PollFunc (*)(void*)>("g_main_context_get_poll_func");
    const auto setPoll = Symbol<void (*)(void*, PollFunc)>("g_main_context_set_poll_func");
    if (!defaultContext || !getPoll || !setPoll)
        return;
    void* context = defaultContext();
    const PollFunc real = getPoll(context);
    if (!context || !real)
        return;
    Real = real;
    setPoll(context, &QuietPoll::Poll);
}

} // namespace

void EventPass::Install() {
    QuietPoll::Install();
}

void EventPass::Run() {
    QuietPoll::Pass();
}

} // namespace tarvik
