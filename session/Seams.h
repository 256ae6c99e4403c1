#pragma once
// What a run of the program talks to outside itself, made once by the
// program's start (app/TKClientI.cpp) and handed to the screens and flows
// that need it; tests hand in their own. Nothing here is global: a flow
// reaches the service, the clerk, another copy of the program, the printer
// and the clock only through the Seams it was given.
#include <QDateTime>

#include <functional>

#include "net/ServiceRequests.h"

namespace tarvik {

class Launcher;
class Printer;
class Prompter;

struct Seams {
  ServiceLink service;  // the server, the transfer's limits, where exchanges run
  Prompter& prompter;   // every message box and question (platform/Prompter.h)
  Launcher& launcher;   // the update's hand-overs (platform/Launcher.h)
  Printer& printer;     // F11's pages (platform/Printer.h)
  std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };  // the PC's local time
};

}  // namespace tarvik
