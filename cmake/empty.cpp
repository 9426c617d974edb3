// Keeps a core library linkable while its folder is still empty.
