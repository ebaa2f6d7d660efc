#pragma once

// How an exchange with the controller ended.
enum class ExchangeEnd {
    Completed,       // "END OF DOWNLOAD" arrived
    StoreFull,       // the store took all the lines it can keep
    NoLogs,          // the controller holds no logs
    CountShown,      // the log-count reply arrived
    CountLate,       // the log-count reply did not arrive in time
    Abandoned,       // the operator gave up on a silent controller
    PortUnavailable, // the port did not open and the operator gave up; nothing was sent
};

// How an end reads in the log: "complete", "abandoned after a silence", ...
const char* describe(ExchangeEnd end);
