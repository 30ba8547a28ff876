#pragma once
#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include "app/toolkit/Settings.h"

namespace velmora::testing {

// The remembered choices of a test program live in a folder of its own, empty when each test starts, so no test
// sees the user's choices or another test's.
class PrivateSettings : public ::testing::EmptyTestEventListener {
public:
    PrivateSettings() {
        for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, folder_.path());
    }
    void OnTestStart(const ::testing::TestInfo&) override { ProgramSettings().clear(); }

private:
    QTemporaryDir folder_;
};

}  // namespace velmora::testing
