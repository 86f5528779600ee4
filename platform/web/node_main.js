// `node raizes.js` runs the program, as the start-up script `raizes` does;
// a page or a script that loads raizes.js starts it itself.
if (typeof module === 'object' && typeof require === 'function' && require.main === module) Raizes();
