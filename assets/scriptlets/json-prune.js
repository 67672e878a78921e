function jsonPrune(source, args) {
  // Ad and tracking settings often arrive as JSON (a player's config, an API
  // answer): the listed properties are deleted from what JSON.parse() and
  // Response.prototype.json() give the page.
  // args:
  //   1. paths to delete, space-separated: "a.b.c". A "*" step stands for
  //      every property of an object (and every item of an array), a "[]"
  //      step for every item of an array: "*.ad", "playlist.[].ads", "*.*.x".
  //   2. paths that must all exist (same syntax) before anything is deleted,
  //      so only the expected documents are touched (optional).
  //   3. text ("/regex/flags" for a regular expression) the stack trace of the
  //      parse call must contain (optional).
  // Without paths to delete nothing changes; with verbose on, each parsed
  // document is then logged to help write the rule.
  try {
    const log = (...items) => {
      if (source.verbose) {
        console.log(`${source.name}: ${items[0]}`, ...items.slice(1));
      }
    };
    const splitPaths = (text) => String(text ?? '').split(/\s+/).filter((p) => p !== '');
    const removePaths = splitPaths(args[0]).map((p) => p.split('.'));
    const requiredPaths = splitPaths(args[1]).map((p) => p.split('.'));
    if (removePaths.length === 0 && !source.verbose) {
      return;
    }

    const toMatcher = (pattern) => {
      const regex = /^\/(.+)\/([dimsuv]*)$/.exec(pattern);
      if (regex) {
        const re = new RegExp(regex[1], regex[2]);
        return (text) => re.test(text);
      }
      return (text) => text.includes(pattern);
    };
    const stackArg = String(args[2] ?? '');
    let stackMatches = null;
    if (stackArg !== '') {
      try {
        stackMatches = toMatcher(stackArg);
      } catch (e) {
        return;
      }
    }

    const isContainer = (value) => value !== null && typeof value === 'object';

    // The keys a path step stands for in `node`.
    const keysFor = (node, step) => {
      if (step === '*') {
        return Object.keys(node);
      }
      if (step === '[]') {
        return Array.isArray(node) ? Object.keys(node) : [];
      }
      return Object.prototype.hasOwnProperty.call(node, step) ? [step] : [];
    };

    const exists = (node, steps) => {
      if (steps.length === 0) {
        return true;
      }
      if (!isContainer(node)) {
        return false;
      }
      const [step, ...rest] = steps;
      return keysFor(node, step).some((key) => exists(node[key], rest));
    };

    // Deletes what `steps` leads to under `node`; returns how many went.
    const prune = (node, steps) => {
      if (!isContainer(node)) {
        return 0;
      }
      const [step, ...rest] = steps;
      const keys = keysFor(node, step);
      if (rest.length > 0) {
        return keys.reduce((count, key) => count + prune(node[key], rest), 0);
      }
      if (Array.isArray(node)) {
        // Array items are spliced out (from the end, so the indexes hold)
        // rather than left as holes the page would trip over.
        const indexes = keys.filter((k) => /^\d+$/.test(k)).map(Number).sort((a, b) => b - a);
        indexes.forEach((index) => node.splice(index, 1));
        return indexes.length;
      }
      keys.forEach((key) => delete node[key]);
      return keys.length;
    };

    const currentStack = () => {
      const limit = Error.stackTraceLimit;
      // Pages may shorten stack traces to hide their callers from us.
      Error.stackTraceLimit = 100;
      try {
        return String(new Error().stack);
      } finally {
        Error.stackTraceLimit = limit;
      }
    };

    // Asked when the page makes its call: for json() the stack is gone by the
    // time the document arrives.
    const calledFromMatchingStack = () => {
      try {
        return stackMatches === null || stackMatches(currentStack());
      } catch (e) {
        return false;
      }
    };

    const pruneDocument = (root) => {
      try {
        if (!isContainer(root)) {
          return root;
        }
        if (removePaths.length === 0) {
          log('parsed', root);
          return root;
        }
        if (!requiredPaths.every((steps) => exists(root, steps))) {
          return root;
        }
        const removed = removePaths.reduce((count, steps) => count + prune(root, steps), 0);
        if (removed > 0) {
          log(`removed ${removed} propert${removed === 1 ? 'y' : 'ies'} (${args[0]})`);
        }
      } catch (e) {
        // The document goes to the page as it is.
      }
      return root;
    };

    // Proxies keep the natives' names and toString() for pages that check.
    JSON.parse = new Proxy(JSON.parse, {
      apply(target, thisArg, callArgs) {
        const wanted = calledFromMatchingStack();
        const result = Reflect.apply(target, thisArg, callArgs);
        return wanted ? pruneDocument(result) : result;
      },
    });
    if (typeof Response !== 'undefined' && typeof Response.prototype.json === 'function') {
      Response.prototype.json = new Proxy(Response.prototype.json, {
        apply(target, thisArg, callArgs) {
          const wanted = calledFromMatchingStack();
          const result = Reflect.apply(target, thisArg, callArgs);
          return wanted ? result.then(pruneDocument) : result;
        },
      });
    }
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
