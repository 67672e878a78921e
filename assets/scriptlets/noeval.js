function noeval(source, args) {
  // eval() does nothing and returns undefined, so code that unpacks itself
  // through it never runs.
  try {
    window.eval = new Proxy(window.eval, {
      apply(target, thisArg, callArgs) {
        if (source.verbose) {
          try {
            console.log(`${source.name}: prevented eval(${String(callArgs[0])})`);
          } catch (e) {
            // Logging never matters more than blocking.
          }
        }
        return undefined;
      },
    });
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
