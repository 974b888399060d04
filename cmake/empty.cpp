// Keeps a library target valid while its directories hold no sources yet.
