#pragma once

#include "Ports.h"

class Engine;
class Http;
struct OperatorConfig;

// Everything a window of the dialer reaches beyond its own view.
struct MainWindowServices {
    Ui& ui;
    Files& files;
    Engine& engine;
    Clock& clock;
    MixerProbe& mixer;
    Autostart& autostart;
    ProgramInfo& program;
    Http& http;
    Network& network;
    Shell& shell;
    UiPoster& poster;
    const OperatorConfig& operatorConfig;
    Sound& sound;
};
