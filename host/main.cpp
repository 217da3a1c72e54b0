// main.cpp - the process entry; start-up, the main loop and clean-up are HostMain's
// (host/startup.cpp).
int HostMain(int argc, char** argv);

int main(int argc, char** argv) { return HostMain(argc, argv); }
