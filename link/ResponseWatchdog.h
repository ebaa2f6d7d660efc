#pragma once

class Link;

// One tick of the response watchdog. During a download, a tick that finds no line completed since the
// previous one closes the port and asks the operator to retry (start the download over) or cancel
// (abandon it); during a log-count query any tick means the reply is late, and the query ends.
void watchdogTick(Link& link);
