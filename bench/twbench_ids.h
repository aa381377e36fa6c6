#pragma once

// Dialogs with no code behind them: the floor the product's dialogs are
// compared with. Each has the size, style and font of its counterpart.
#define IDD_BENCH_EMPTY_USER_LIST 100
#define IDD_BENCH_EMPTY_SETTINGS 101
// The user list's controls without the code behind them.
#define IDD_BENCH_CONTROLS_USER_LIST 102
// The conduit settings dialog's controls without the code behind them.
#define IDD_BENCH_CONTROLS_SETTINGS 103
