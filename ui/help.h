#pragma once

// Opens twpalm.chm, beside the settings library, at its default topic.
void ShowProductHelp();
