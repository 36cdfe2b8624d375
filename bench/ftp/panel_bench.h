#pragma once

// ftpbench panel HOST PORT USER PASS DIR [KEY]: lists DIR with the FTP panel's own code and
// prints its rows as the panel shows them.
int panelBench(int argc, char** argv);
