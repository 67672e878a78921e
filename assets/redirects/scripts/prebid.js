// Stands in for Prebid.js, the header-bidding library, under its usual global
// name pbjs. Functions queued on pbjs.que and pbjs.cmd run as they would once
// the library has loaded; requestBids() ends at once with no bids (its
// bidsBackHandler is called), so the page goes on to its ad server without
// them, and every query answers that there are no bids.
(function() {
    'use strict';
    var noop = function() {};

    // Runs a callback of the page; its error surfaces in a task of its own
    // instead of stopping this script.
    var run = function(callback, self, args) {
        try {
            return callback.apply(self, args || []);
        } catch (error) {
            setTimeout(function() {
                throw error;
            }, 0);
        }
    };

    var emptyObject = function() {
        return {};
    };
    var emptyArray = function() {
        return [];
    };

    var config = {};
    var pbjs = window.pbjs || {};
    var queues = [pbjs.que, pbjs.cmd].filter(Array.isArray);

    // A queue whose pushes run at once.
    var runningQueue = function() {
        return {
            push: function() {
                Array.prototype.forEach.call(arguments, function(command) {
                    if (typeof command === 'function') {
                        run(command, pbjs);
                    }
                });
                return 0;
            },
        };
    };

    Object.assign(pbjs, {
        version: 'v8.0.0',
        libLoaded: true,
        installedModules: [],
        adUnits: [],
        bidderSettings: pbjs.bidderSettings || {},
        addAdUnits: function(units) {
            pbjs.adUnits = pbjs.adUnits.concat(units || []);
        },
        removeAdUnit: function(code) {
            pbjs.adUnits = code === undefined ? [] : pbjs.adUnits.filter(function(unit) {
                return [].concat(code).indexOf(unit.code) < 0;
            });
        },
        // requestBids({bidsBackHandler, timeout, adUnits, adUnitCodes}): the
        // auction ends at once with no bids and without timing out.
        requestBids: function(request) {
            var handler = request && request.bidsBackHandler;
            if (typeof handler === 'function') {
                setTimeout(function() {
                    handler({}, false, '');
                }, 1);
            }
        },
        setConfig: function(values) {
            Object.assign(config, values || {});
        },
        getConfig: function(key, subscriber) {
            if (typeof subscriber === 'function' || typeof key === 'function') {
                return noop;  // an unsubscribe function: nothing ever changes
            }
            return key === undefined ? Object.assign({}, config) : config[key];
        },
        mergeConfig: function(values) {
            Object.assign(config, values || {});
        },
        readConfig: function(key) {
            return key === undefined ? Object.assign({}, config) : config[key];
        },
        setBidderConfig: noop,
        aliasBidder: noop,
        aliasRegistry: {},
        enableAnalytics: noop,
        registerAnalyticsAdapter: noop,
        registerBidAdapter: noop,
        onEvent: noop,
        offEvent: noop,
        getEvents: emptyArray,
        renderAd: noop,
        markWinningBidAsUsed: noop,
        setTargetingForGPTAsync: noop,
        setTargetingForAst: noop,
        setS2SConfig: noop,
        refreshUserIds: noop,
        triggerUserSyncs: noop,
        clearAllAuctions: noop,
        processQueue: noop,
        getAdserverTargeting: emptyObject,
        getAdserverTargetingForAdUnitCode: emptyObject,
        getBidResponses: emptyObject,
        getBidResponsesForAdUnitCode: function() {
            return {bids: []};
        },
        getNoBids: emptyObject,
        getNoBidsForAdUnitCode: function() {
            return {bids: []};
        },
        getHighestCpmBids: emptyArray,
        getHighestUnusedBidResponseForAdUnitCode: function() {
            return null;
        },
        getAllWinningBids: emptyArray,
        getAllPrebidWinningBids: emptyArray,
        getUserIds: emptyObject,
        getUserIdsAsEids: emptyArray,
        getUserIdsAsync: function() {
            return Promise.resolve({});
        },
        getConsentMetadata: emptyObject,
    });
    pbjs.que = runningQueue();
    pbjs.cmd = runningQueue();
    window.pbjs = pbjs;

    queues.forEach(function(queue) {
        queue.forEach(function(command) {
            pbjs.que.push(command);
        });
    });
})();
