// (temporary) keeps the core library non-empty until the modules land
namespace qd { int CorePlaceholder() { return 1; } }
