// Compiled only for the precompiled Qt headers the rooms reuse.
