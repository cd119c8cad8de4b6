#include "core/settings/settings_file.h"
#include "data_file_fuzzing.h"

namespace {

SystemSettings afterRejection() {
    SystemSettings s = firstRunSettings();
    resetSystemSettings(s);
    return s;
}

std::vector<SystemSettings> seeds() {
    std::vector<SystemSettings> all{firstRunSettings(), afterRejection()};
    SystemSettings busy = firstRunSettings();
    busy.dailyShutdownEnabled = 1;
    busy.dailyShutdownTime = ClockTime{22, 30, 0};
    busy.restartEnabled = 1;
    busy.restartDays[0] = 1;
    busy.restartTime = ClockTime{5, 0, 59};
    busy.duckPercent = 100;
    busy.duckFadeOutSeconds = 10;
    busy.duckFadeInSeconds = 16;
    setOutputDeviceName(busy, QStringLiteral("教学楼功放 (USB 声卡)"));
    all.push_back(busy);
    return all;
}

const FuzzedFormat<SystemSettings> kFormat{
    kSettingsFileName,  firstRunSettings(), afterRejection(),
    loadSystemSettings, saveSystemSettings, seeds,
};

}  // namespace

KB_DATA_FILE_FUZZER(kFormat)
