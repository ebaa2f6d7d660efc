#pragma once

#include "ComPort.h"
#include "ControllerSim.h"
#include "Link.h"
#include "ScriptedOperator.h"
#include "Settings.h"
#include "TestEnvironment.h"

#include <QTest>
#include <memory>

// The controller link without a window: its own settings and state folders, a real port, a scripted
// operator and, where a test starts one, the simulator as COM 1.
struct LinkFixture {
    TestEnvironment env;
    ComPort port;
    Settings settings;
    ScriptedOperator op;
    Link link{port, settings, op};
    std::unique_ptr<ControllerSim> sim;

    bool startSim(SimOptions options, int com = 1) {
        sim = std::make_unique<ControllerSim>(std::move(options));
        return sim->start() && sim->placeLink(env.settingsFolder(), com);
    }
    // A whole download from the simulator; true once its exchange is over.
    bool download() {
        link.startDownload(DownloadEntry::Button);
        return QTest::qWaitFor([this] { return !link.replyAwaited(); }, 10000);
    }
    // The reply fed in pieces of `chunk` bytes, as if the port had read them so.
    void feed(QByteArrayView bytes, qsizetype chunk) {
        for (qsizetype i = 0; i < bytes.size(); i += chunk) {
            link.receiveReply(bytes.sliced(i, std::min(chunk, bytes.size() - i)));
        }
    }
    QByteArray stored() const { return link.lines().lines(1, link.LineCount()).toByteArray(); }
};
