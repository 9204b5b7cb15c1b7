// Qt synchronisation made visible to ThreadSanitizer.
//
// Qt from Debian is not built with ThreadSanitizer. When one thread hands a
// call to another (a queued signal, QMetaObject::invokeMethod with a queued
// or blocking connection, the end of a thread), Qt orders the two sides with
// its own mutexes and semaphores inside libQt6Core, which the tool cannot
// see, so every such hand-over would be reported as a data race. This
// library, linked into every target of a -DTAVRO_SANITIZE=thread build,
// tells the tool about those orderings with its annotation interface:
//
//   release (publish what this thread did so far)   acquire (see it)
//   - a signal is emitted                            - any event is delivered
//   - a directly connected slot returns              - QThread::wait() returns
//   - QMetaObject::invokeMethod hands a functor      - the functor runs (and
//     to another thread                                is destroyed) there
//   - the functor has run (blocking calls)           - invokeMethod returns
//
// All use one synchronisation object. That is coarser than Qt's per-thread
// event queues, so a race between code separated by an unrelated queued call
// can go unseen; races between threads that never hand anything over are
// still reported.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <QThread>

#include <dlfcn.h>
#include <sanitizer/tsan_interface.h>

#include <cstdio>
#include <cstdlib>

// Qt's hook for signal emissions and direct slot calls, with the layout Qt
// declares in its private qobject_p.h.
struct QSignalSpyCallbackSet
{
    using BeginCallback = void (*)(QObject *caller, int index, void **argv);
    using EndCallback = void (*)(QObject *caller, int index);
    BeginCallback signalBegin;
    BeginCallback slotBegin;
    EndCallback signalEnd;
    EndCallback slotEnd;
};
void qt_register_signal_spy_callbacks(QSignalSpyCallbackSet *callbacks);

namespace {

char g_sync;

void publish() { __tsan_release(&g_sync); }
void observe() { __tsan_acquire(&g_sync); }

template <typename Fn>
Fn realFunction(const char *name)
{
    void *p = dlvsym(RTLD_NEXT, name, "Qt_6");
    if (!p)
        p = dlsym(RTLD_NEXT, name);
    if (!p) {
        std::fprintf(stderr, "TsanQtBridge: %s not found\n", name);
        std::abort();
    }
    return reinterpret_cast<Fn>(p);
}

// A functor handed to another thread, wrapped so that its run is ordered
// after the hand-over and the caller of a blocking call sees what it did.
class OrderedSlot : public QtPrivate::QSlotObjectBase
{
public:
    explicit OrderedSlot(QtPrivate::QSlotObjectBase *inner)
        : QSlotObjectBase(&impl), m_inner(inner)
    {
    }

private:
    static void impl(int which, QSlotObjectBase *self, QObject *receiver, void **args, bool *ret)
    {
        auto *that = static_cast<OrderedSlot *>(self);
        switch (which) {
        case Destroy:
            observe();
            that->m_inner->destroyIfLastRef();
            delete that;
            break;
        case Call:
            observe();
            that->m_inner->call(receiver, args);
            publish();
            break;
        case Compare:
            if (ret)
                *ret = false;
            break;
        default:
            break;
        }
    }

    QtPrivate::QSlotObjectBase *m_inner;
};

bool onEventDelivery(void **)
{
    observe();
    return false; // never consumes the event
}

void onSignalBegin(QObject *, int, void **) { publish(); }
void onSlotEnd(QObject *, int) { publish(); }

} // namespace

namespace {
struct Install
{
    Install()
    {
        QInternal::registerCallback(QInternal::EventNotifyCallback, onEventDelivery);
        static QSignalSpyCallbackSet callbacks{onSignalBegin, nullptr, nullptr, onSlotEnd};
        qt_register_signal_spy_callbacks(&callbacks);
    }
} g_install;
} // namespace

// Calls from the project's code into Qt go through the dynamic linker, so
// these definitions come first; each forwards to Qt's own.

bool QMetaObject::invokeMethodImpl(QObject *object, QtPrivate::QSlotObjectBase *slot,
                                   Qt::ConnectionType type, void *ret)
{
    using Fn = bool (*)(QObject *, QtPrivate::QSlotObjectBase *, Qt::ConnectionType, void *);
    static const Fn real = realFunction<Fn>(
        "_ZN11QMetaObject16invokeMethodImplEP7QObjectPN9QtPrivate15QSlotObjectBaseEN2Qt14ConnectionTypeEPv");
    QtPrivate::QSlotObjectBase *ordered = slot ? new OrderedSlot(slot) : slot;
    publish();
    const bool ok = real(object, ordered, type, ret);
    observe();
    return ok;
}

bool QThread::wait(QDeadlineTimer deadline)
{
    using Fn = bool (*)(QThread *, QDeadlineTimer);
    static const Fn real = realFunction<Fn>("_ZN7QThread4waitE14QDeadlineTimer");
    const bool finished = real(this, deadline);
    observe();
    return finished;
}

void QCoreApplication::postEvent(QObject *receiver, QEvent *event, int priority)
{
    using Fn = void (*)(QObject *, QEvent *, int);
    static const Fn real = realFunction<Fn>("_ZN16QCoreApplication9postEventEP7QObjectP6QEventi");
    publish();
    real(receiver, event, priority);
}
