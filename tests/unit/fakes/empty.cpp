// Keeps the fakes library non-empty while no fake needs a source file of its own.
