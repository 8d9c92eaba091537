#include "platform/TerminationSignals.h"

#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t signalsSeen = 0;

// The first signal asks the event loop for the normal shut-down; a second one (shut-down is
// already under way, or the loop does not answer) ends the process at once.
void onSignal(int signal)
{
    if (signalsSeen++ > 0)
        ::_exit(128 + signal);
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &byte, 1);
}

} // namespace

void OnTerminationSignal(QObject* context, std::function<void()> handler)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [notifier, handler = std::move(handler)] {
        char byte;
        [[maybe_unused]] const auto n = ::read(signalPipe[0], &byte, 1);
        notifier->setEnabled(false);
        handler();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}
