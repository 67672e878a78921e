function preventEvalIf(source, args) {
  // eval() of code that matches the search (a substring or /regex/flags, "!"
  // inverting it) does nothing and returns undefined; other code runs (in the
  // global scope, as with any replaced eval). Without a search nothing is
  // changed: noeval is there to stop every eval.
  try {
    const pattern = typeof args[0] === 'string' ? args[0] : '';
    if (pattern === '') {
      return;
    }

    function makeMatcher(text) {
      let invert = false;
      if (text.startsWith('!')) {
        invert = true;
        text = text.slice(1);
      }
      let test;
      const literal = /^\/(.+)\/([dgimsuy]*)$/.exec(text);
      if (literal) {
        let re;
        try {
          re = new RegExp(literal[1], literal[2].replace('g', ''));
        } catch (e) {
          return null;
        }
        test = (s) => re.test(s);
      } else {
        test = (s) => s.includes(text);
      }
      return (s) => test(String(s)) !== invert;
    }

    const matchesCode = makeMatcher(pattern);
    if (matchesCode === null) {
      return;
    }

    window.eval = new Proxy(window.eval, {
      apply(target, thisArg, callArgs) {
        try {
          const code = callArgs[0];
          // eval() hands anything but a string straight back; so do we.
          if (typeof code === 'string' && matchesCode(code)) {
            if (source.verbose) {
              console.log(`${source.name}: prevented eval(${code})`);
            }
            return undefined;
          }
        } catch (e) {
          // Anything odd about the call: let the page have it unchanged.
        }
        return Reflect.apply(target, thisArg, callArgs);
      },
    });
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
