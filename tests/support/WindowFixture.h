#pragma once

#include "ArchiveService.h"
#include "ControllerSim.h"
#include "FakeDevices.h"
#include "MainForm.h"
#include "ScriptedOperator.h"
#include "TestEnvironment.h"

#include <memory>

// The main window on the offscreen platform, its operator scripted, a settings folder of its own that
// names COM 1, and the simulator wherever a test places it.
struct WindowFixture {
    TestEnvironment env;
    FakeDevices devices;
    ScriptedOperator op;
    ComPort port;
    Settings settings;
    std::unique_ptr<ControllerSim> sim;
    std::unique_ptr<ArchiveService> archive; // made by openWindow when asked for
    std::unique_ptr<MainForm> form;

    WindowFixture() { env.writeIni("[DEFAULT]\nComport= 1\n"); }
    ~WindowFixture() {
        form.reset(); // before the simulator, whose pty the window may hold
        sim.reset();
    }
    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    bool startSim(SimOptions options, int com = 1);
    // Builds and shows the window (with the program's archive when asked); true once it is on screen.
    bool openWindow(bool withArchive = false);
    Link& link() { return form->link(); }
    // No command is running: Download is offered again.
    bool idle() const;
};
