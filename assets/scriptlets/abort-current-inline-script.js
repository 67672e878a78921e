function abortCurrentInlineScript(source, args) {
  // Touching the property (a dotted chain from window) throws a
  // ReferenceError while an inline <script> of the page runs whose text
  // contains the search (any inline script when there is none). External
  // scripts, callbacks run later and this scriptlet itself are untouched,
  // and see the real value.
  try {
    const chain = typeof args[0] === 'string' ? args[0] : '';
    const search = typeof args[1] === 'string' ? args[1] : '';
    const parts = chain.split('.');
    if (chain === '' || parts.some((part) => part === '')) {
      return;
    }

    // A pattern is a plain substring, or /regex/flags; "!" inverts it; an
    // empty one matches every script.
    function makeMatcher(pattern) {
      let text = pattern;
      let invert = false;
      if (text.startsWith('!')) {
        invert = true;
        text = text.slice(1);
      }
      let test;
      const literal = /^\/(.+)\/([dgimsuy]*)$/.exec(text);
      if (text === '') {
        test = () => true;
      } else if (literal) {
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

    const matchesSearch = makeMatcher(search);
    if (matchesSearch === null) {
      return;
    }

    // The page could redefine these to hide its scripts; keep the real ones.
    const currentScriptGetter = Object.getOwnPropertyDescriptor(Document.prototype, 'currentScript').get;
    const textContentGetter = Object.getOwnPropertyDescriptor(Node.prototype, 'textContent').get;
    const hasAttribute = Element.prototype.hasAttribute;
    const ScriptElement = HTMLScriptElement;
    const ownScript = currentScriptGetter.call(document);
    // A script's text does not change while it runs; match it once.
    const verdicts = new WeakMap();

    function abortIfInlineMatch() {
      const script = currentScriptGetter.call(document);
      if (!(script instanceof ScriptElement) || script === ownScript || hasAttribute.call(script, 'src')) {
        return;
      }
      let matched = verdicts.get(script);
      if (matched === undefined) {
        matched = matchesSearch(textContentGetter.call(script));
        verdicts.set(script, matched);
      }
      if (!matched) {
        return;
      }
      if (source.verbose) {
        console.log(`${source.name}: aborted an inline script at ${chain}`);
      }
      throw new ReferenceError(`${parts[parts.length - 1]} is not defined`);
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

    function trapLeaf(owner, prop) {
      const existing = Object.getOwnPropertyDescriptor(owner, prop);
      if (existing && !existing.configurable) {
        return;
      }
      const inherited = lookupDescriptor(owner, prop);
      let value = inherited && 'value' in inherited ? inherited.value : undefined;
      Object.defineProperty(owner, prop, {
        configurable: true,
        enumerable: inherited ? inherited.enumerable : true,
        get() {
          abortIfInlineMatch();
          return inherited && inherited.get ? inherited.get.call(this) : value;
        },
        set(next) {
          abortIfInlineMatch();
          if (inherited && inherited.set) {
            inherited.set.call(this, next);
          } else {
            value = next;
          }
        },
      });
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
        // that goes on down the chain once the page assigns it.
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
