// Keeps a library valid while its folders are still empty.
