#pragma once

namespace parlevo {

class AutoSave;
struct Config;
class DataDir;
class TextTable;

// The ground-floor services of a run that the windows above use together: the texts, the
// configuration, the data directory and the saves soon after a change. Whoever assembles the
// parts (the app at start-up, the command line, a test) hands them down by reference.
struct Basics {
    const TextTable &textes;
    Config &config;
    DataDir &dataDir;
    AutoSave &autoSave;
};

} // namespace parlevo
