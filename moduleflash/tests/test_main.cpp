// The unit tests run in the program's setting: the event dispatcher that
// moduleflash installs, taken over by one application object that lives for
// the whole run, with no event loop ever running.
#include "event_dispatcher.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    testing::InitGoogleTest(&argc, argv);
    // Before the application object, which takes the dispatcher over.
    chooseEventDispatcher();
    QCoreApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
