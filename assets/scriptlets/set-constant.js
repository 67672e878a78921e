function setConstant(source, args) {
  // The property (a dotted chain from window) always reads as a fixed value,
  // whatever the page assigns to it, also when the objects of the chain are
  // created by the page later. A third argument limits this to reads whose
  // call stack matches it; other reads see the page's own value.
  //
  // Values: undefined, false, true, null, emptyObj, emptyArr, noopFunc,
  // trueFunc, falseFunc, throwFunc, noopPromiseResolve (resolves with
  // undefined), noopPromiseReject, '' (an empty argument, or two quotes),
  // yes, no, an integer 0..32767, -1, -2. Anything else leaves the page alone.
  try {
    if (args.length < 2) {
      return;
    }
    const chain = typeof args[0] === 'string' ? args[0] : '';
    const parts = chain.split('.');
    if (chain === '' || parts.some((part) => part === '')) {
      return;
    }
    const valueText = String(args[1]);
    const stackPattern = typeof args[2] === 'string' ? args[2] : '';

    function parseConstant(text) {
      const fixed = {
        undefined: { value: undefined },
        false: { value: false },
        true: { value: true },
        null: { value: null },
        emptyObj: { value: {} },
        emptyArr: { value: [] },
        noopFunc: { value: function () {} },
        trueFunc: { value: function () { return true; } },
        falseFunc: { value: function () { return false; } },
        throwFunc: { value: function () { throw new Error(); } },
        noopPromiseResolve: { value: function () { return Promise.resolve(); } },
        noopPromiseReject: { value: function () { return Promise.reject(); } },
        '': { value: '' },
        "''": { value: '' },
        yes: { value: 'yes' },
        no: { value: 'no' },
        '-1': { value: -1 },
        '-2': { value: -2 },
      };
      if (Object.prototype.hasOwnProperty.call(fixed, text)) {
        return fixed[text];
      }
      if (/^\d{1,5}$/.test(text) && Number(text) <= 32767) {
        return { value: Number(text) };
      }
      return null;
    }

    // A pattern is a plain substring, or /regex/flags; "!" inverts it.
    function makeMatcher(pattern) {
      let text = pattern;
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

    const constant = parseConstant(valueText);
    if (constant === null) {
      return;
    }
    const stackMatches = stackPattern === '' ? null : makeMatcher(stackPattern);
    if (stackPattern !== '' && stackMatches === null) {
      return;
    }

    const isObjectLike = (value) =>
      (typeof value === 'object' && value !== null) || typeof value === 'function';

    function lookupDescriptor(object, prop) {
      for (let o = object; o !== null && o !== undefined; o = Object.getPrototypeOf(o)) {
        const descriptor = Object.getOwnPropertyDescriptor(o, prop);
        if (descriptor) {
          return descriptor;
        }
      }
      return undefined;
    }

    // The frames that led to the read, without the Error line and the frame
    // of the getter itself (which sits in the page too and would match a
    // pattern naming the page).
    function callerStack(error) {
      return String(error.stack || '').split('\n').slice(2).join('\n');
    }

    function trapLeaf(owner, prop) {
      const existing = Object.getOwnPropertyDescriptor(owner, prop);
      if (existing && !existing.configurable) {
        return;
      }
      const inherited = lookupDescriptor(owner, prop);
      let pageValue = inherited && 'value' in inherited ? inherited.value : undefined;
      Object.defineProperty(owner, prop, {
        configurable: true,
        enumerable: inherited ? inherited.enumerable : true,
        get() {
          if (stackMatches && !stackMatches(callerStack(new Error()))) {
            return inherited && inherited.get ? inherited.get.call(this) : pageValue;
          }
          return constant.value;
        },
        set(next) {
          // Without a stack condition the page's writes are simply lost.
          if (!stackMatches) {
            return;
          }
          if (inherited && inherited.set) {
            inherited.set.call(this, next);
          } else {
            pageValue = next;
          }
        },
      });
      if (source.verbose) {
        console.log(`${source.name}: ${chain} set to ${valueText === '' ? "''" : valueText}`);
      }
    }

    function trapChain(owner, path) {
      try {
        const prop = path[0];
        if (path.length === 1) {
          trapLeaf(owner, prop);
          return;
        }
        const rest = path.slice(1);
        const current = owner[prop];
        if (isObjectLike(current)) {
          trapChain(current, rest);
          return;
        }
        // The object is not there yet: hold the property with an accessor
        // that goes on down the chain once the page assigns it. An accessor
        // already there (another rule's trap) keeps doing its part.
        const previous = Object.getOwnPropertyDescriptor(owner, prop);
        if (previous && !previous.configurable) {
          return;
        }
        let held = current;
        Object.defineProperty(owner, prop, {
          configurable: true,
          enumerable: true,
          get() {
            return previous && previous.get ? previous.get.call(this) : held;
          },
          set(next) {
            if (previous && previous.set) {
              previous.set.call(this, next);
            } else {
              held = next;
            }
            if (isObjectLike(next)) {
              trapChain(next, rest);
            }
          },
        });
      } catch (e) {
        // An object that cannot take the trap is left as it is.
      }
    }

    trapChain(window, parts);
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
