#include "host_options.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

const char HOST_USAGE[] =
    "usage: ollydbg.exe [--status N] [--name ADDR TYPE TEXT]... [--message CAPTION]\n"
    "                   [--run PATH | --cancel | --click N]... [--time] [--print FILE]\n"
    "                   [--screenshot FILE] [--screenshot-host FILE] [--measure] [--modules]\n";

static bool ReadDecimal(const char* text, int32_t* value) {
    char* end = nullptr;
    errno = 0;
    const long long number = strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0') return false;
    if (number < INT32_MIN || number > INT32_MAX) return false;
    *value = static_cast<int32_t>(number);
    return true;
}

static bool ReadHex(const char* text, uint32_t* value) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long number = strtoull(text, &end, 16);
    if (errno != 0 || end == text || *end != '\0' || text[0] == '-') return false;
    if (number > UINT32_MAX) return false;
    *value = static_cast<uint32_t>(number);
    return true;
}

static bool AddStep(HostOptions* options, int32_t kind, int32_t action, const char* path) {
    if (options->stepCount == HOST_MAX_STEPS) return false;
    options->steps[options->stepCount++] = {kind, action, path};
    return true;
}

static bool ApplyStatus(HostOptions* options, char** arguments) {
    return ReadDecimal(arguments[0], &options->status);
}

static bool ApplyName(HostOptions* options, char** arguments) {
    if (options->nameCount == HOST_MAX_NAMES) return false;
    HostName* name = &options->names[options->nameCount];
    if (!ReadHex(arguments[0], &name->address) || !ReadDecimal(arguments[1], &name->type)) return false;
    name->text = arguments[2];
    ++options->nameCount;
    return true;
}

static bool ApplyMessage(HostOptions* options, char** arguments) {
    options->messageCaption = arguments[0];
    return true;
}

static bool ApplyRun(HostOptions* options, char** arguments) {
    if (strlen(arguments[0]) >= static_cast<size_t>(HOST_PATH_CAPACITY)) return false;
    return AddStep(options, HOST_STEP_CHOOSE_FILE, 0, arguments[0]);
}

static bool ApplyCancel(HostOptions* options, char**) { return AddStep(options, HOST_STEP_CANCEL_FILE, 0, nullptr); }

static bool ApplyClick(HostOptions* options, char** arguments) {
    int32_t action = 0;
    return ReadDecimal(arguments[0], &action) && AddStep(options, HOST_STEP_CLICK, action, nullptr);
}

static bool ApplyTime(HostOptions* options, char**) {
    options->printTimes = 1;
    return true;
}

static bool ApplyPrint(HostOptions* options, char** arguments) {
    options->printPath = arguments[0];
    return true;
}

static bool ApplyScreenshot(HostOptions* options, char** arguments) {
    options->screenshotPath = arguments[0];
    return true;
}

static bool ApplyHostShot(HostOptions* options, char** arguments) {
    options->hostShotPath = arguments[0];
    return true;
}

static bool ApplyMeasure(HostOptions* options, char**) {
    options->measure = 1;
    return true;
}

static bool ApplyModules(HostOptions* options, char**) {
    options->printModules = 1;
    return true;
}

struct OptionRule {
    const char* name;
    int argumentCount;
    bool (*apply)(HostOptions* options, char** arguments);
};

static const OptionRule RULES[] = {
    {"--status", 1, ApplyStatus}, {"--name", 3, ApplyName},   {"--message", 1, ApplyMessage},
    {"--run", 1, ApplyRun},       {"--cancel", 0, ApplyCancel}, {"--click", 1, ApplyClick},
    {"--time", 0, ApplyTime},     {"--print", 1, ApplyPrint},   {"--screenshot", 1, ApplyScreenshot},
    {"--screenshot-host", 1, ApplyHostShot}, {"--measure", 0, ApplyMeasure}, {"--modules", 0, ApplyModules},
};

static const OptionRule* FindRule(const char* name) {
    for (const OptionRule& rule : RULES) {
        if (strcmp(rule.name, name) == 0) return &rule;
    }
    return nullptr;
}

int32_t ParseHostOptions(int argc, char** argv, HostOptions* options, char* error, int32_t errorCapacity) {
    memset(options, 0, sizeof *options);
    options->status = 1;
    for (int i = 1; i < argc;) {
        const OptionRule* rule = FindRule(argv[i]);
        if (rule == nullptr) {
            snprintf(error, errorCapacity, "unknown option %s", argv[i]);
            return -1;
        }
        if (argc - i - 1 < rule->argumentCount) {
            snprintf(error, errorCapacity, "%s needs %d argument(s)", rule->name, rule->argumentCount);
            return -1;
        }
        if (!rule->apply(options, argv + i + 1)) {
            snprintf(error, errorCapacity, "bad or too many %s", rule->name);
            return -1;
        }
        i += 1 + rule->argumentCount;
    }
    return 0;
}

bool IsScriptedRun(const HostOptions* options) {
    return options->stepCount > 0 || options->printPath != nullptr || options->hostShotPath != nullptr;
}
