// The headless tour: drives the demo with synthetic input (XTest) from a thread of its own,
// waits for the notification each step must cause, and writes a screenshot per step.
#pragma once

#include <string>

#include "demo_app.h"

namespace demo {

// Runs the tour while the main thread pumps messages; ends the message loop when done.
// Returns the number of failed steps (set once the thread has finished).
class Tour {
  public:
    Tour(DemoApp& app, std::string outDir) : app_(app), out_(std::move(outDir)) {}
    void start();
    void join();
    int failures() const { return failures_; }

  private:
    void run();
    DemoApp& app_;
    std::string out_;
    int failures_ = 0;
    void* thread_ = nullptr;
};

}  // namespace demo
