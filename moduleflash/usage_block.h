// The usage block: eight result lines, step 7, value 0.
#pragma once

void writeUsage();
