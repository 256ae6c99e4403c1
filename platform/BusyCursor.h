#pragma once
// The wait cursor for as long as the object lives: a request blocks the one
// thread, and the cursor is the sign that the program is waiting for it.
// Scopes nest; without a QGuiApplication it does nothing.
namespace tarvik {

class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  bool set_ = false;
};

}  // namespace tarvik
