// Feeds arbitrary bytes, split into arbitrary reads, through the receive dispatcher in download and in
// query mode, and checks what it kept against the reply's rules: the lines are the input cut after each
// line feed up to the finish, every line ends in a line feed, and no split changes anything.

#include "ComPort.h"
#include "Link.h"
#include "ScriptedOperator.h"
#include "Settings.h"

#include <QCoreApplication>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <random>
#include <string>
#include <vector>

namespace {

struct Outcome {
    std::vector<std::string> lines;
    std::string rxBuffer;
    std::string messages;
    std::string shown;
    bool operator==(const Outcome&) const = default;
};

Outcome run(bool query, const std::string& bytes, std::minstd_rand* splitter) {
    ComPort port;
    Settings settings;
    ScriptedOperator op;
    Link link(port, settings, op);
    link.awaitReply(query ? 1 : 0);
    for (size_t at = 0; at < bytes.size();) {
        const size_t chunk = splitter ? 1 + (*splitter)() % 64 : bytes.size();
        const size_t take = std::min(chunk, bytes.size() - at);
        link.receiveReply(QByteArrayView(bytes.data() + at, qsizetype(take)));
        at += take;
    }
    Outcome outcome;
    for (int k = 1; k <= link.LineCount(); ++k) {
        outcome.lines.push_back(link.lines().line(k).toByteArray().toStdString());
    }
    outcome.rxBuffer = link.RxBuffer().toStdString();
    outcome.messages = op.texts().join(QLatin1Char('|')).toStdString() + std::to_string(op.beeps);
    const LinkDisplay& display = link.display();
    for (int i = 0; i < LinkDisplay::kPanels; ++i) {
        outcome.shown += display.panelText(i).toStdString() + '|';
    }
    const LinkDisplay::LogBox& box = display.logBox();
    outcome.shown += std::to_string(box.first) + '-' + std::to_string(box.last) + '|' +
                     box.note.toStdString() + '|' + std::to_string(display.progress());
    return outcome;
}

// The lines the reply's rules keep, written out afresh.
std::vector<std::string> expectedLines(bool query, const std::string& bytes) {
    std::vector<std::string> lines;
    if (query) {
        return lines;
    }
    std::string line;
    for (const char c : bytes) {
        line += c;
        if (lines.empty() && line.size() >= 15 &&
            line.compare(line.size() - 15, 15, "No log entries!") == 0) {
            break;
        }
        if (c == '\n') {
            lines.push_back(line);
            if (line.rfind("END OF DOWNLOAD", 0) == 0) {
                break;
            }
            line.clear();
        }
    }
    return lines;
}

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_dispatcher";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);

    FuzzedDataProvider input(data, size);
    const bool query = input.ConsumeBool();
    std::minstd_rand splitter(input.ConsumeIntegral<uint32_t>());
    const std::string bytes = input.ConsumeRemainingBytesAsString();

    const Outcome whole = run(query, bytes, nullptr);
    check(run(query, bytes, &splitter) == whole);
    check(whole.lines == expectedLines(query, bytes));
    for (const std::string& line : whole.lines) {
        check(!line.empty() && line.back() == '\n');
    }
    if (query) {
        check(whole.rxBuffer == bytes.substr(0, 13));
    }
    return 0;
}
