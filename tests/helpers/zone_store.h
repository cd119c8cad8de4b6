#pragma once

#include <gtest/gtest.h>
#include <functional>

#include "core/zones/zone_edits.h"

// The zones as the program keeps them for its pages: a change is saved into the data folder,
// then put in place, and the listener told.
struct ZoneStore {
    explicit ZoneStore(const QString& dataFolder) : folder(dataFolder) {}

    ZoneChange change() {
        return [this](const ZoneSetup& next, QString& message) {
            if (!saveZoneSetup(folder, next, message)) {
                return false;
            }
            zones = next;
            ++saves;
            if (changed) {
                changed();
            }
            return true;
        };
    }
    // What the zone file holds now.
    ZoneSetup saved() const {
        ZoneSetup read;
        QString message;
        EXPECT_TRUE(loadZoneSetup(folder, read, message)) << message.toStdString();
        return read;
    }

    QString folder;
    ZoneSetup zones;
    std::function<void()> changed;
    int saves = 0;
};
