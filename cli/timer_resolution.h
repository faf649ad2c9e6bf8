#pragma once
// The system timer's resolution while the window or a command-line mode runs. Windows
// ticks every 15.6 ms by default, so a 10 ms timer or a 33 ms frame sleep lands late and
// uneven; this asks for 1 ms and gives it back when it ends. Other systems already
// schedule to the millisecond and do nothing here.
class FineTimerResolution {
public:
    FineTimerResolution();
    ~FineTimerResolution();
    FineTimerResolution(const FineTimerResolution&) = delete;
    FineTimerResolution& operator=(const FineTimerResolution&) = delete;

private:
    bool raised_ = false;  // only a granted request is given back
};
