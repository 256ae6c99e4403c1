#pragma once
// The program's own image button (built with the log-in screen).
