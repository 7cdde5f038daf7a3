// Guards for tests that send datagrams: they run only inside the private
// network namespace made by tools/netns/znnet-run, never on the host network.
#pragma once

#include <QString>

// True inside the harness' namespace: ZN_NETNS is set and the only interfaces
// are loopback and the harness' own veth links. `why` says what is wrong.
bool insidePrivateNetwork(QString *why);

// For a test's initTestCase(): skips the whole test loudly outside the harness
// (fails under CI, where ZN_REQUIRE_NETNS=1).
#define ZN_REQUIRE_PRIVATE_NETWORK()                                                           \
    do {                                                                                       \
        QString zn_why;                                                                        \
        if (!insidePrivateNetwork(&zn_why)) {                                                  \
            zn_why.prepend(QStringLiteral("not inside a private network namespace: "));        \
            if (qEnvironmentVariable("ZN_REQUIRE_NETNS") == QLatin1String("1"))                \
                QFAIL(qPrintable(zn_why));                                                     \
            QSKIP(qPrintable(zn_why));                                                         \
        }                                                                                      \
    } while (false)
